#pragma once

#include <cstdio>

namespace lensws {

// The service body, for the console and for the service entry alike: installs the signal
// handler, reads the configuration, builds and starts everything (ServiceRuntime), then sleeps
// in steps of 1000 ms until stopRequested is set (feeding systemd's watchdog, when it watches,
// while the web server answers itself: ServiceWatchdog), prints "Bye!" and shuts down in reverse
// order. Returns 0 after an orderly stop, 1 when start-up failed: a standard exception's text is
// then printed as it stands (for a port that cannot be bound: "null context when constructing
// CivetServer. Possible problem binding to port.") before what was built is destroyed. A
// configured path too long for a path buffer also refuses to start (result 1).
int runService();

// The same with its messages on `out`.
int runService(std::FILE* out);

}  // namespace lensws
