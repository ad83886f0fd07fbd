#pragma once

#include <cstddef>
#include <string_view>

namespace lensws {

// The value of one query parameter: a view into the request's query text, taken as it stands
// (no percent-decoding, no "+" conversion, no trimming). Absent: no start and length 0.
class QueryValue {
public:
    QueryValue() = default;
    QueryValue(const char* data, std::size_t length) : data_(data), length_(length) {}

    bool present() const { return data_ != nullptr; }
    const char* data() const { return data_; }
    std::size_t length() const { return length_; }
    std::string_view view() const {
        return data_ != nullptr ? std::string_view(data_, length_) : std::string_view();
    }

private:
    const char* data_ = nullptr;
    std::size_t length_ = 0;
};

// Finds the value of the parameter `name` in `query` (the `queryLength` bytes after "?";
// pairs separated by "&", name and value by "="). Only an occurrence of the name at the start
// of the query or right after "&", and directly followed by "=", counts; the first such one
// gives the value up to the next "&" or the end. Absent: an empty name, a name beginning with
// "&", an absent or empty query, no counting occurrence, or a "=" that ends the query. A "="
// directly followed by "&" gives an empty value. Names are case-sensitive.
QueryValue lookupQueryParameter(const char* query, std::size_t queryLength, const char* name);

// The same for a zero-terminated query text; null (a request without "?") is an empty query.
QueryValue lookupQueryParameter(const char* query, const char* name);

}  // namespace lensws
