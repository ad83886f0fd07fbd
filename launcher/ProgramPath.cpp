#include "ProgramPath.h"

namespace drvlaunch {

std::wstring applicationDirectory(std::wstring_view programPath) {
    const std::size_t separator = programPath.find_last_of(L"\\/");
    if (separator == std::wstring_view::npos) {
        return std::wstring(programPath);
    }
    return std::wstring(programPath.substr(0, separator));
}

}  // namespace drvlaunch
