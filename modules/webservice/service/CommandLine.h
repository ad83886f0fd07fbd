#pragma once

#include <cstdio>

#include "platform/ServiceManager.h"
#include "service/ServiceClock.h"
#include "service/ServiceEntry.h"

namespace lensws {

// What the command line acts through: the service manager, the clock for waits and the closing
// pause, the console, and the service body run by "-console" and by the service entry.
struct CommandLineEnvironment {
    platform::ServiceManager& manager;
    ServiceClock& clock;
    std::FILE* out;
    ServiceBody runService;
};

// The program's entry. Without a switch: prints the start-up usage text and hands the process
// to the service dispatcher (which fails at once when the service manager did not start it).
// "-console", "-install", "-start", "-stop", "-remove": the action, its messages, then the
// closing pause of 2000 ms unless the argument after the switch begins with the number 0 (or
// with no number). Anything else: the unknown-switch texts and the pause. Returns 0.
int runCommandLine(int argc, char** argv, const CommandLineEnvironment& environment);

}  // namespace lensws
