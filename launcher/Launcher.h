#pragma once

#include <string_view>

#include "Bitness.h"
#include "Console.h"
#include "ProcessRunner.h"

namespace drvlaunch {

// Drvlaunch's whole run: finds the folder the program lives in, decides the system's bitness,
// starts "<folder>/drivers/dpinst64.exe /lm" or "<folder>/drivers/dpinst32.exe /lm", waits for
// it and prints every step and every failure. Failures are only printed.
//
// Program paths it refuses, printing why and "No process created": a missing or empty one (it
// names no folder); one longer than kMaxProgramPathLength characters; one whose installer path
// would hold a double quote (see canCarryProgramPath).
class Launcher {
public:
    // All three are borrowed and must outlive the Launcher.
    Launcher(Console& console, BitnessProbe& bitness, ProcessRunner& process);

    // Runs with the program's first argument `programPath` (null when there is none). The
    // return value is the program's exit status: 0 in every case.
    int run(const char* programPath);

private:
    // Prints the error line of `operation` failing with `code`, or nothing when the system has
    // no text for the code.
    void reportError(std::wstring_view operation, int code);

    // Starts the installer of `commandLine`, waits for it and prints how it ended.
    void runInstaller(std::wstring_view commandLine);

    Console& console_;
    BitnessProbe& bitness_;
    ProcessRunner& process_;
};

}  // namespace drvlaunch
