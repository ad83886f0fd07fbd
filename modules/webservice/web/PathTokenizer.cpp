#include "web/PathTokenizer.h"

namespace lensws {

PathTokenizer::PathTokenizer(const char* uri) : uri_(uri != nullptr ? uri : "") {}

std::string_view PathTokenizer::first() {
    start_ = 0;
    length_ = 0;
    return next();
}

std::string_view PathTokenizer::next() {
    std::size_t position = length_ != 0 ? start_ + length_ : 0;
    while (uri_[position] == '/') {
        ++position;
    }
    std::size_t end = position;
    while (uri_[end] != '\0' && uri_[end] != '/') {
        ++end;
    }
    start_ = position;
    length_ = end - position;
    return segment();
}

std::string_view PathTokenizer::skip(int count) {
    for (int i = 0; i < count; ++i) {
        next();
    }
    return segment();
}

}  // namespace lensws
