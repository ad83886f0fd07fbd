// Drvlaunch: installs the camera's driver package by starting the driver-package installer
// beside the program that matches the system's bitness. See Launcher.h.

#include <unistd.h>

#include <csignal>
#include <new>

#include "Console.h"
#include "Launcher.h"
#include "SpawnProcessRunner.h"
#include "UnameBitnessProbe.h"

int main(int argc, char** argv) {
    // With no reader left on standard output, a write must fail rather than end the launcher
    // before it has started the installer; the exit status is 0 in every case.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        drvlaunch::Console console(STDOUT_FILENO);
        drvlaunch::UnameBitnessProbe bitness;
        drvlaunch::SpawnProcessRunner process;
        drvlaunch::Launcher launcher(console, bitness, process);
        return launcher.run(argc > 0 ? argv[0] : nullptr);
    } catch (const std::bad_alloc&) {
        // Memory for the command line could not be had: the launcher ends quietly, status 0.
        return 0;
    }
}
