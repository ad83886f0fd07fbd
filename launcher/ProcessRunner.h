#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drvlaunch {

// Starts one program, waits for it and tells how it ended. The seam between the launcher and
// the system: the program uses SpawnProcessRunner, tests give their own. Error codes are errno
// values; 0 is success.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Starts `argv[0]` (a path) with `argv` as its arguments, the caller's standard streams,
    // environment and current directory. Returns 0 when the process runs, else the error code
    // and nothing was started. Called at most once.
    virtual int start(const std::vector<std::string>& argv) = 0;

    // Waits without limit for the started process to end. Returns 0 or the error code.
    virtual int wait() = 0;

    // How the process ended, as its exit code, into `code`. Returns 0, or the error code when
    // that is not known (the wait failed).
    virtual int exitCode(std::uint32_t& code) = 0;

    // The value of the "Thread exit code" line; see SpawnProcessRunner for its meaning.
    virtual std::uint32_t threadExitCode() = 0;
};

}  // namespace drvlaunch
