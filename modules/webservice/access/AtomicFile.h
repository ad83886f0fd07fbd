#pragma once

#include <string>
#include <string_view>

namespace lensws {

// Puts `content` in place of the file at `path` so that, whenever the process or the machine
// stops, the file is either the old one or the new one: the bytes go to "<path>.tmp" (mode
// 0600, created or truncated), are flushed to disk, and the temporary file is renamed over
// `path`; the directory is flushed afterwards so that the rename itself is durable.
// True when the rename succeeded; on any earlier failure the temporary file is removed and
// `path` is untouched.
bool replaceFileAtomically(const std::string& path, std::string_view content);

}  // namespace lensws
