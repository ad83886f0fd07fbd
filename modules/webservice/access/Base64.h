#pragma once

#include <string>
#include <string_view>

namespace lensws::base64 {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line wrapping), as the token file
// stores its tokens.
std::string encode(std::string_view bytes);

// Decodes leniently: every character outside the alphabet (padding, carriage returns, blanks)
// is skipped, and a final group of two or three characters yields one or two bytes.
std::string decode(std::string_view text);

}  // namespace lensws::base64
