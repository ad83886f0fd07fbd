#pragma once

#include <cstddef>
#include <string_view>

namespace lensws {

// Splits a request path into its "/"-separated segments: "/1.0/users/id" gives "1.0", "users",
// "id". The first segment of every route is "1.0", the second the handler's command word,
// further ones sub-commands. Views point into the URI text, which must outlive them.
//
// `next` starts right after the current segment, or at the start of the URI when there is no
// current segment or it is empty; it skips every "/" and returns the run up to the next "/" or
// the end (possibly empty). So after the empty segment at the end of the path, the following
// `next` starts over with the first segment.
class PathTokenizer {
public:
    // A null URI is taken as the empty text.
    explicit PathTokenizer(const char* uri);

    // Forgets the current segment and returns `next`.
    std::string_view first();
    std::string_view next();
    // Calls `next` `count` times and returns the last segment (the current one for 0 or less).
    std::string_view skip(int count);
    // The current segment (empty at first).
    std::string_view segment() const { return std::string_view(uri_ + start_, length_); }

private:
    const char* uri_;
    std::size_t start_ = 0;
    std::size_t length_ = 0;
};

}  // namespace lensws
