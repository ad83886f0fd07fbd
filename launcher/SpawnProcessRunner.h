#pragma once

#include <sys/types.h>

#include "ProcessRunner.h"

namespace drvlaunch {

// Runs the installer with posix_spawn and waitpid.
//
// Exit code: the code the process gave exit(); for a process ended by a signal, 128 plus the
// signal's number, as a shell shows it.
//
// Thread exit code: Linux keeps no exit code per thread that a parent could read; what it keeps
// is the wait status, which holds the exit code in bits 8 to 15 and the number of an ending
// signal in bits 0 to 6. The line carries that status, so a process killed by SIGTERM (0xF) can
// be told apart from one that called exit(143) (0x8F00). It is 0 when no status was collected,
// which only follows a failed wait.
//
// Windows handles need closing after the wait; here the wait itself reaps the child, and nothing
// else is held. A process that was not waited for keeps running after the launcher ends, as it
// would on Windows.
class SpawnProcessRunner : public ProcessRunner {
public:
    int start(const std::vector<std::string>& argv) override;
    int wait() override;
    int exitCode(std::uint32_t& code) override;
    std::uint32_t threadExitCode() override;

private:
    pid_t child_ = -1;  // the started process, -1 before start
    bool ended_ = false;
    int waitStatus_ = 0;  // as waitpid reported it, once ended_
    int waitError_ = 0;   // why the wait failed, if it did
};

}  // namespace drvlaunch
