#include "service/CommandLine.h"

#include <cstdlib>
#include <cstring>

#include "service/ServiceCommands.h"

namespace lensws {

namespace {

constexpr const char* kStartupUsage =
    "\n\nRun as console -console\n\nFor Install use Service -install\n\n"
    "For UnInstall use Service -remove\n\nFor start|stop use Service -start|stop\n\n";
constexpr const char* kUnknownParameter = "\n\nUnknown parameter!\n";
constexpr const char* kUnknownSwitchUsage =
    "\n\nUnknown Switch Usage\n\nFor Install use Service -install\n\n"
    "For UnInstall use Service -remove\n\nFor start|stop use Service -start|stop\n\n";
constexpr std::uint32_t kClosingPauseMs = 2000;

// The leading decimal integer of `text` (after optional blanks and a sign); 0 when there is none.
long leadingInteger(const char* text) {
    return std::strtol(text, nullptr, 10);
}

void handleSwitch(const char* word, const CommandLineEnvironment& env) {
    std::FILE* out = env.out;
    if (std::strcmp(word, "-console") == 0) {
        env.runService();
    } else if (std::strcmp(word, "-install") == 0) {
        if (installService(env.manager, out)) {
            std::fprintf(out, "%s Installed Successfully\n", kServiceName);
        }
    } else if (std::strcmp(word, "-start") == 0) {
        if (startService(env.manager, out)) {
            std::fprintf(out, "%s Started Successfully\n", kServiceName);
        }
    } else if (std::strcmp(word, "-stop") == 0) {
        if (stopService(env.manager, env.clock, kServiceName, out)) {
            std::fprintf(out, "%s Stopped Successfully\n", kServiceName);
        }
    } else if (std::strcmp(word, "-remove") == 0) {
        stopService(env.manager, env.clock, kServiceName, out);
        if (removeService(env.manager, out)) {
            std::fprintf(out, "%s Uninstalled Successfully\n", kServiceName);
        }
    } else {
        std::fputs(kUnknownParameter, out);
        std::fputs(kUnknownSwitchUsage, out);
    }
}

}  // namespace

int runCommandLine(int argc, char** argv, const CommandLineEnvironment& environment) {
    if (argc < 2) {
        std::fputs(kStartupUsage, environment.out);
        std::fflush(environment.out);
        bindServiceEntry(&environment.manager, environment.runService);
        environment.manager.runDispatcher(kServiceName, &serviceMain);
        return serviceResult();
    }
    handleSwitch(argv[1], environment);
    long pause = argc > 2 ? leadingInteger(argv[2]) : 1;
    std::fflush(environment.out);
    if (pause != 0) {
        environment.clock.sleep(kClosingPauseMs);
    }
    return 0;
}

}  // namespace lensws
