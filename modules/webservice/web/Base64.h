#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lensws::base64 {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line wrapping): the token file stores its
// tokens in it, and the service hands images and templates to clients in it. The buffer-level
// functions are the one implementation; the std::string ones are built on them.

// The largest byte count whose encoded length fits in std::size_t.
constexpr std::size_t kMaxEncodable = SIZE_MAX / 4 * 3;

// Characters of the encoding of `n` bytes, padding included; `n` at most kMaxEncodable.
constexpr std::size_t encodedLength(std::size_t n) {
    return (n + 2) / 3 * 4;
}

// Room that decoding `length` characters never exceeds.
constexpr std::size_t decodedCapacity(std::size_t length) {
    return length / 4 * 3 + 2;
}

// Writes the encodedLength(n) characters of the `n` bytes at `bytes` to `out`, without a NUL.
void encode(const unsigned char* bytes, std::size_t n, char* out);

// Decodes leniently: every character outside the alphabet (padding, carriage returns, blanks)
// is skipped, and a final group of two or three characters yields one or two bytes. Writes at
// most `capacity` bytes to `out` and stops at the first byte that would not fit; returns the
// count written.
std::size_t decode(const char* text, std::size_t length, unsigned char* out, std::size_t capacity);

std::string encode(std::string_view bytes);
std::string decode(std::string_view text);

}  // namespace lensws::base64
