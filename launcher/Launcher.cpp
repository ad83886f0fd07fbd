#include "Launcher.h"

#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Messages.h"
#include "ProgramPath.h"
#include "SystemMessage.h"
#include "Utf8.h"

namespace drvlaunch {

namespace {

// The installers beside the program, "\drivers\dpinst64.exe" and "\drivers\dpinst32.exe" with
// the separator Linux uses, and their one argument.
constexpr wchar_t kInstaller64[] = L"/drivers/dpinst64.exe";
constexpr wchar_t kInstaller32[] = L"/drivers/dpinst32.exe";
constexpr wchar_t kInstallerArguments[] = L"/lm";

}  // namespace

Launcher::Launcher(Console& console, BitnessProbe& bitness, ProcessRunner& process)
    : console_(console), bitness_(bitness), process_(process) {}

int Launcher::run(const char* programPath) {
    // A Windows console program first hides its console window. A Linux program has no window
    // of its own: the terminal it writes to belongs to the user, so there is nothing to hide.

    const std::wstring path = wideFromSystem(programPath != nullptr ? programPath : "");
    if (path.empty()) {
        console_.print(kProgramPathEmpty);
        console_.print(kNoProcessCreated);
        return 0;
    }
    if (path.size() > kMaxProgramPathLength) {
        console_.print(programPathTooLongLine(path.size(), kMaxProgramPathLength));
        console_.print(kNoProcessCreated);
        return 0;
    }

    const std::wstring directory = applicationDirectory(path);
    if (!directory.empty()) {
        console_.print(applicationDirectoryLine(directory));
    }
    console_.print(kRunningDpinst);

    const bool sixtyFour = decideBitness(bitness_) == Bitness::SixtyFour;
    const std::wstring installer = directory + (sixtyFour ? kInstaller64 : kInstaller32);
    console_.print(sixtyFour ? kSixtyFourBitOs : kThirtyTwoBitOs);

    if (!canCarryProgramPath(installer)) {
        console_.print(kProgramPathHoldsQuote);
        console_.print(kNoProcessCreated);
        return 0;
    }
    runInstaller(buildCommandLine(installer, kInstallerArguments));
    return 0;
}

void Launcher::runInstaller(std::wstring_view commandLine) {
    // The system takes the items as bytes, in the very form the program path arrived in.
    std::vector<std::string> argv;
    for (const std::wstring& item : splitCommandLine(commandLine)) {
        argv.push_back(systemFromWide(item));
    }

    if (const int error = process_.start(argv); error != 0) {
        reportError(kCreateProcessOperation, error);
        console_.print(kNoProcessCreated);
        return;
    }
    console_.print(kCreateProcessSucceeded);

    if (const int error = process_.wait(); error != 0) {
        reportError(kWaitOperation, error);
    } else {
        console_.print(kProcessFinished);
    }

    std::uint32_t exitCode = 0;
    if (const int error = process_.exitCode(exitCode); error != 0) {
        reportError(kExitCodeOperation, error);
    } else {
        console_.print(processExitCodeLine(exitCode));
    }
    console_.print(threadExitCodeLine(process_.threadExitCode()));
}

void Launcher::reportError(std::wstring_view operation, int code) {
    const std::optional<std::wstring> message = systemMessage(code);
    if (message) {
        console_.print(errorLine(operation, static_cast<std::uint32_t>(code), *message));
    }
}

}  // namespace drvlaunch
