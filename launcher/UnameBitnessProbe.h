#pragma once

#include <string_view>

#include "Bitness.h"

namespace drvlaunch {

// Linux's answer to the WOW64 query, from the kernel's machine name (uname). A 64-bit kernel
// runs 32-bit programs beside 64-bit ones, as 64-bit Windows does through WOW64, so the query
// succeeds there; a 32-bit kernel answers ENOSYS, as 32-bit Windows answers "not implemented".
// The directory itself is never used by the launcher, so none is made up. A failing uname
// passes its own error on. The query always exists on Linux.
class UnameBitnessProbe : public BitnessProbe {
public:
    Wow64QueryResult queryWow64Directory() override;
};

// Whether a kernel machine name as uname reports it ("x86_64", "aarch64", "i686", "armv7l",
// ...) is a 64-bit architecture.
bool isSixtyFourBitMachine(std::string_view machine);

}  // namespace drvlaunch
