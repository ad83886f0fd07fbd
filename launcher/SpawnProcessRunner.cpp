#include "SpawnProcessRunner.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace drvlaunch {

namespace {

// posix_spawn's attributes and file actions, released with their owner.
class SpawnSettings {
public:
    SpawnSettings() {
        attributesError_ = posix_spawnattr_init(&attributes_);
        actionsError_ = posix_spawn_file_actions_init(&actions_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    ~SpawnSettings() {
        if (actionsError_ == 0) {
            posix_spawn_file_actions_destroy(&actions_);
        }
        if (attributesError_ == 0) {
            posix_spawnattr_destroy(&attributes_);
        }
    }

    // No descriptor but the standard streams reaches the installer, as CreateProcess without
    // inherited handles. SIGPIPE gets its default back: the launcher ignores it for its own
    // output (main.cpp), and the installer should not inherit that.
    int prepare() {
        if (attributesError_ != 0) {
            return attributesError_;
        }
        if (actionsError_ != 0) {
            return actionsError_;
        }
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        int error = posix_spawnattr_setsigdefault(&attributes_, &defaults);
        if (error == 0) {
            error = posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
        }
        if (error == 0) {
            error = posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
        }
        return error;
    }

    const posix_spawnattr_t* attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* actions() const { return &actions_; }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
    int attributesError_;
    int actionsError_;
};

}  // namespace

int SpawnProcessRunner::start(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return EINVAL;
    }
    SpawnSettings settings;
    if (const int error = settings.prepare(); error != 0) {
        return error;
    }
    // A launcher started with SIGCHLD ignored would have its child reaped by the kernel, and
    // the wait would fail; the default disposition keeps the child for our wait.
    signal(SIGCHLD, SIG_DFL);

    // posix_spawn takes writable strings: copies that live until it returns.
    std::vector<std::string> strings(argv);
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& item : strings) {
        pointers.push_back(item.data());
    }
    pointers.push_back(nullptr);

    pid_t child = -1;
    const int error = posix_spawn(&child, pointers[0], settings.actions(), settings.attributes(),
                                  pointers.data(), environ);
    if (error != 0) {
        return error;
    }
    child_ = child;
    return 0;
}

int SpawnProcessRunner::wait() {
    if (child_ < 0) {
        waitError_ = ECHILD;
        return waitError_;
    }
    int status = 0;
    while (waitpid(child_, &status, 0) < 0) {
        if (errno != EINTR) {
            waitError_ = errno;
            return waitError_;
        }
    }
    ended_ = true;
    waitStatus_ = status;
    return 0;
}

int SpawnProcessRunner::exitCode(std::uint32_t& code) {
    if (!ended_) {
        return waitError_ != 0 ? waitError_ : ECHILD;
    }
    if (WIFSIGNALED(waitStatus_)) {
        code = 128u + static_cast<std::uint32_t>(WTERMSIG(waitStatus_));
    } else {
        code = static_cast<std::uint32_t>(WEXITSTATUS(waitStatus_));
    }
    return 0;
}

std::uint32_t SpawnProcessRunner::threadExitCode() {
    return ended_ ? static_cast<std::uint32_t>(waitStatus_) : 0;
}

}  // namespace drvlaunch
