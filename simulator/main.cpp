// ocucam-sim: the stand-in for the iris camera and its USB driver (or serial line).

#include <signal.h>

#include <cstdio>
#include <string>

#include "simulator/SimOptions.h"
#include "simulator/Simulator.h"

namespace {

ocusim::Simulator* running = nullptr;

extern "C" void onStopSignal(int) {
    if (running != nullptr) {
        running->requestStop();
    }
}

}  // namespace

int main(int argc, char** argv) {
    ocusim::SimOptions options;
    std::string message;
    switch (ocusim::parseOptions(argc, argv, options, message)) {
        case ocusim::ParseOutcome::Help:
            std::fputs(ocusim::usageText(), stdout);
            return 0;
        case ocusim::ParseOutcome::Error:
            std::fprintf(stderr, "ocucam-sim: %s\n%s", message.c_str(), ocusim::usageText());
            return 2;
        case ocusim::ParseOutcome::Run:
            break;
    }

    ocusim::Simulator simulator(options);
    // Handlers first: a stop asked for while starting up still ends in an orderly clean-up.
    running = &simulator;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::string error;
    if (!simulator.start(error)) {
        std::fprintf(stderr, "ocucam-sim: %s\n", error.c_str());
        running = nullptr;
        return 1;
    }
    simulator.run();
    running = nullptr;
    return 0;
}
