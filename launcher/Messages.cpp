#include "Messages.h"

namespace drvlaunch {

namespace {

// The digits of "%X".
std::wstring upperHex(std::uint32_t value) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

}  // namespace

std::wstring applicationDirectoryLine(std::wstring_view directory) {
    return L"Application directory: " + std::wstring(directory) + L"\n";
}

std::wstring processExitCodeLine(std::uint32_t code) {
    return L"Process exit code = 0x" + upperHex(code) + L"\n";
}

std::wstring threadExitCodeLine(std::uint32_t code) {
    return L"Thread exit code = 0x" + upperHex(code) + L"\n";
}

std::wstring errorLine(std::wstring_view operation, std::uint32_t code, std::wstring_view message) {
    return L"ERROR: " + std::wstring(operation) + L": 0x" + upperHex(code) + L": " +
           std::wstring(message) + L"\n";
}

std::wstring programPathTooLongLine(std::size_t length, std::size_t maximum) {
    return L"ERROR: The program path is " + std::to_wstring(length) +
           L" characters long; at most " + std::to_wstring(maximum) + L" fit\n";
}

}  // namespace drvlaunch
