#pragma once

#include <string>
#include <string_view>

namespace drvlaunch {

// Text reaches the launcher as bytes (its own path, the system's messages) and leaves it as
// bytes (the installer's path, the console lines); inside it is wide text, one wchar_t per
// Unicode code point. The bytes are read as UTF-8, the encoding of Linux file names and
// terminals, whatever the locale of the environment says.
//
// A file name need not be valid UTF-8. A byte that does not belong to a valid sequence becomes
// the wide character 0xDC00 + byte (a lone low surrogate, which decoded text never holds), so
// systemFromWide gives back the very same bytes and such a path still names its file.

// Decodes `bytes`; never fails.
std::wstring wideFromSystem(std::string_view bytes);

// The exact inverse of wideFromSystem, for handing a path back to the system. A wide character
// that is neither an escaped byte nor a Unicode scalar value becomes U+FFFD.
std::string systemFromWide(std::wstring_view text);

// UTF-8 for a terminal: always valid, so an escaped byte or any other wide character that is
// not a Unicode scalar value is shown as U+FFFD (the replacement character).
std::string utf8ForDisplay(std::wstring_view text);

}  // namespace drvlaunch
