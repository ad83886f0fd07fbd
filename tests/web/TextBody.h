#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "web/RequestBody.h"

namespace webtest {

// A request body from a text, with a declared length of the test's choosing. Reads hand out at
// most `chunk` bytes each, as a network connection may.
class TextBody : public lensws::RequestBody {
public:
    TextBody(std::string text, long long declared, std::size_t chunk = 1 << 30)
        : text_(std::move(text)), declared_(declared), chunk_(chunk) {}
    explicit TextBody(const std::string& text)
        : TextBody(text, static_cast<long long>(text.size())) {}

    long long contentLength() override { return declared_; }
    int read(void* buffer, std::size_t length) override {
        ++reads;
        if (failReads) {
            return -1;
        }
        const std::size_t n = std::min({length, chunk_, text_.size() - offset_});
        std::memcpy(buffer, text_.data() + offset_, n);
        offset_ += n;
        bytesRead += n;
        return static_cast<int>(n);
    }

    int reads = 0;
    std::size_t bytesRead = 0;
    bool failReads = false;

private:
    std::string text_;
    long long declared_;
    std::size_t chunk_;
    std::size_t offset_ = 0;
};

}  // namespace webtest
