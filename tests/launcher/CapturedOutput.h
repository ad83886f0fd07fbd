#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <string>

namespace drvlaunch::testing {

// A memory-backed file descriptor to print into, and what was printed to it.
class CapturedOutput {
public:
    CapturedOutput() : fd_(memfd_create("drvlaunch-output", MFD_CLOEXEC)) {}
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    ~CapturedOutput() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }

    int fd() const { return fd_; }

    // Every byte written so far.
    std::string text() const {
        std::string bytes;
        char buffer[4096];
        off_t offset = 0;
        ssize_t n = 0;
        while ((n = pread(fd_, buffer, sizeof buffer, offset)) > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
        return bytes;
    }

private:
    int fd_;
};

}  // namespace drvlaunch::testing
