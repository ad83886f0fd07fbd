#include <cstdio>

#include "platform/SystemdServiceManager.h"
#include "service/CommandLine.h"
#include "service/RunService.h"
#include "service/ServiceClock.h"

int main(int argc, char** argv) {
    // Lines reach a console or a pipe as they are printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::SystemdServiceManager manager;
    lensws::SystemServiceClock clock;
    lensws::CommandLineEnvironment environment{manager, clock, stdout,
                                               [] { return lensws::runService(); }};
    return lensws::runCommandLine(argc, argv, environment);
}
