#pragma once

#include <cstdio>

#include "platform/ServiceManager.h"
#include "service/ServiceClock.h"

namespace lensws {

// The service's name: also its display name and the prefix of the command line's success lines.
constexpr const char* kServiceName = "OcuService";

// The service-management commands of the command line. Each returns true on success; on a
// failure it prints the error line of reportServiceError to `out` and returns false.

// Installs this program as the service, started automatically, with no arguments. Its home is
// OCUSERVICE_HOME, or the working directory when that is unset, made absolute.
bool installService(platform::ServiceManager& manager, std::FILE* out);

// Asks the manager to start the service; does not wait for it to run.
bool startService(platform::ServiceManager& manager, std::FILE* out);

// Stops the service `name` and waits for it, for at most 30000 ms from the call:
// - a stopped service: "Service is already stopped.";
// - a service already stopping: "Stop pending..." per round of one tenth of its wait hint
//   (at least 1000 ms, at most 10000 ms), then "Service stopped successfully." or, past the
//   budget, "Service stop timed out." (false);
// - otherwise the stop control, then rounds of the service's wait hint as reported until it
//   stopped, or "Wait timed out" past the budget (false).
bool stopService(platform::ServiceManager& manager, ServiceClock& clock, const char* name,
                 std::FILE* out);

// Deletes the service.
bool removeService(platform::ServiceManager& manager, std::FILE* out);

}  // namespace lensws
