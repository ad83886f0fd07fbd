#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace drvlaunch {

// The longest program path (the first argument) the launcher takes: a path buffer of 1024
// characters less its terminating zero. Characters are wide characters, one per Unicode code
// point (a byte that is not valid UTF-8 counts as one), not bytes. A longer path is refused,
// never cut: a cut path would name another folder.
constexpr std::size_t kMaxProgramPathLength = 1023;

// The folder part of `programPath`: the text before its last "\" or "/", that separator
// removed; the whole text when it holds neither. Both separators count, as on Windows, so a
// path written either way is understood.
std::wstring applicationDirectory(std::wstring_view programPath);

}  // namespace drvlaunch
