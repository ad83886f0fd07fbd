#pragma once

// The gallery file. Little-endian:
//   "OCSG", u32 version (1), u32 number of enrollees, then per enrollee: u8 id length, the id,
//   u16 number of templates, per template u32 length and the template (see TemplateCodec.h);
//   finally the CRC-32 of everything before it.

#include <chrono>
#include <string>
#include <vector>

#include "simulator/Gallery.h"

namespace ocusim {

std::vector<std::uint8_t> serializeGallery(const std::vector<Enrollee>& enrollees);
// False on any malformed, truncated or corrupted content; `enrollees` is then left empty.
bool parseGallery(const std::vector<std::uint8_t>& bytes, std::vector<Enrollee>& enrollees);

// Replaces `path` atomically: the bytes go to a temporary file beside it, are flushed to disk and
// renamed over it, and the directory is flushed, so a crash leaves the old or the new file.
// `pauseBeforeRename` holds the written temporary file back that long before the rename (a
// window for tests that end the program in the middle of a replacement).
bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::chrono::milliseconds pauseBeforeRename = {});
// Reads a whole file; `exists` is false when there is none.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, bool& exists);

}  // namespace ocusim
