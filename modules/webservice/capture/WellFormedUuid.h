#pragma once

#include <cstddef>

namespace lensws {

// True for exactly 36 characters with "-" at positions 9, 14, 19 and 24 (counting from 1) and a
// hexadecimal digit of either case everywhere else. A null text is malformed.
bool isWellFormedUuid(const char* text, std::size_t length);
// The same for a zero-terminated text.
bool isWellFormedUuid(const char* text);

}  // namespace lensws
