#include "Console.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "Utf8.h"

namespace drvlaunch {

Console::Console(int fd) : fd_(fd) {}

void Console::print(std::wstring_view text) {
    const std::string bytes = utf8ForDisplay(text);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace drvlaunch
