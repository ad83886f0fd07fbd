#pragma once

#include <cstddef>

#include "web/ByteSink.h"

namespace lensws {

// The output stream of the JSON writer (RapidJSON's stream concept: Ch, Put, Flush).
//
// Built without a sink it only counts bytes (the measuring pass of a response). Built with a
// sink it also collects bytes in a fixed 536-byte buffer and hands the buffer to the sink each
// time it is full and on Flush; nothing larger than the buffer is ever held. A sink that takes
// fewer bytes than it was handed makes Put or Flush throw std::runtime_error with the text
// "Socket writing failed!".
class JsonOutputStream {
public:
    typedef char Ch;
    static constexpr std::size_t kBufferSize = 536;

    JsonOutputStream() = default;
    explicit JsonOutputStream(ByteSink& sink) : sink_(&sink) {}
    JsonOutputStream(const JsonOutputStream&) = delete;
    JsonOutputStream& operator=(const JsonOutputStream&) = delete;

    void Put(Ch c) {
        ++count_;
        if (sink_ != nullptr) {
            buffer_[used_++] = c;
            if (used_ == kBufferSize) {
                Flush();
            }
        }
    }

    // Hands the buffered bytes, if any, to the sink.
    void Flush();

    // Bytes put so far.
    std::size_t count() const { return count_; }

private:
    ByteSink* sink_ = nullptr;
    std::size_t count_ = 0;
    std::size_t used_ = 0;
    char buffer_[kBufferSize];
};

}  // namespace lensws
