#pragma once

#include <string_view>

namespace drvlaunch {

// Where the launcher's lines go: wide text written as UTF-8, whatever the locale of the
// environment, so a terminal shows every character of a path.
//
// Each line is written at once with write(2), without a buffer of the C library in between: the
// installer inherits the same descriptor, and our lines must come before its output.
class Console {
public:
    // `fd` stays open and owned by the caller for the Console's whole life.
    explicit Console(int fd);

    // Writes `text` whole. A failed write (no reader, descriptor closed) is dropped: the
    // launcher has no other place to tell it, and its exit status is 0 in every case.
    void print(std::wstring_view text);

private:
    int fd_;
};

}  // namespace drvlaunch
