#pragma once

// A FILE* whose text the test reads back.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace lensws::testing {

class CapturedOutput {
public:
    CapturedOutput() : file(open_memstream(&buffer_, &size_)) {}
    ~CapturedOutput() {
        std::fclose(file);
        std::free(buffer_);
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    std::string text() {
        std::fflush(file);
        return std::string(buffer_, size_);
    }

    std::FILE* file;

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace lensws::testing
