#pragma once

#include <cstddef>

namespace platform {

// Length of a UUID's text form, without the terminating zero.
constexpr std::size_t kUuidTextLength = 36;

// Writes a fresh random (version 4) UUID as 36 lower-case characters and a terminating zero.
// The bits come from the kernel's random source, so the text is unpredictable and can serve
// as a bearer secret. Returns false, leaving `out` an empty text, when no random bytes could
// be had.
bool newUuidText(char (&out)[kUuidTextLength + 1]);

}  // namespace platform
