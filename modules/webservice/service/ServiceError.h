#pragma once

#include <cstdint>
#include <cstdio>

namespace lensws {

// The fixed text for a service-control error number (platform::service_error), or nullptr for
// a number without one.
const char* serviceErrorText(std::uint32_t error);

// Prints the one line that explains a failed service-control operation: the fixed text of the
// error, or "System error: <number>" for a number without a text.
void reportServiceError(std::uint32_t error, std::FILE* out);

}  // namespace lensws
