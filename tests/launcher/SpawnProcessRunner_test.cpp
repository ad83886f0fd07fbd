#include "SpawnProcessRunner.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <string>

#include "TempFolder.h"

namespace drvlaunch {
namespace {

using testing::TempFolder;

// Puts a signal's disposition back when the test ends.
class SignalDisposition {
public:
    SignalDisposition(int signal, void (*handler)(int))
        : signal_(signal), old_(std::signal(signal, handler)) {}
    ~SignalDisposition() { std::signal(signal_, old_); }

private:
    int signal_;
    void (*old_)(int);
};

class SpawnProcessRunnerTest : public ::testing::Test {
protected:
    std::string script(const std::string& name, const std::string& body) {
        return folder_.write(name, "#!/bin/sh\n" + body, 0755).string();
    }

    TempFolder folder_;
    SpawnProcessRunner runner_;
};

TEST_F(SpawnProcessRunnerTest, ExitCodeAndWaitStatusOfAProcessThatExits) {
    const std::string program = script("exit42", "exit 42\n");
    ASSERT_EQ(runner_.start({program}), 0);
    ASSERT_EQ(runner_.wait(), 0);
    std::uint32_t code = 0;
    ASSERT_EQ(runner_.exitCode(code), 0);
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(runner_.threadExitCode(), 42u << 8);
}

TEST_F(SpawnProcessRunnerTest, ProcessEndedByASignalShowsItAsAShellDoes) {
    const std::string program = script("killed", "kill -TERM $$\nsleep 5\n");
    ASSERT_EQ(runner_.start({program}), 0);
    ASSERT_EQ(runner_.wait(), 0);
    std::uint32_t code = 0;
    ASSERT_EQ(runner_.exitCode(code), 0);
    EXPECT_EQ(code, 128u + SIGTERM);
    EXPECT_EQ(runner_.threadExitCode(), static_cast<std::uint32_t>(SIGTERM));
}

TEST_F(SpawnProcessRunnerTest, ArgumentsArriveAsGiven) {
    const std::string program =
        script("args", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$0.out\"\n");
    ASSERT_EQ(runner_.start({program, "/lm", "two words", "\xC3\xA9\xFF"}), 0);
    ASSERT_EQ(runner_.wait(), 0);
    EXPECT_EQ(folder_.read("args.out"), "[/lm]\n[two words]\n[\xC3\xA9\xFF]\n");
}

TEST_F(SpawnProcessRunnerTest, MissingProgramIsNotStarted) {
    EXPECT_EQ(runner_.start({(folder_.path() / "drivers" / "dpinst64.exe").string(), "/lm"}),
              ENOENT);
    EXPECT_EQ(runner_.wait(), ECHILD);
    std::uint32_t code = 0;
    EXPECT_EQ(runner_.exitCode(code), ECHILD);
    EXPECT_EQ(runner_.threadExitCode(), 0u);
}

TEST_F(SpawnProcessRunnerTest, ProgramWithoutExecutePermissionIsNotStarted) {
    const std::string program = folder_.write("plain", "#!/bin/sh\nexit 0\n", 0644).string();
    EXPECT_EQ(runner_.start({program}), EACCES);
}

TEST_F(SpawnProcessRunnerTest, NoDescriptorBeyondTheStandardStreamsIsInherited) {
    const int inheritable = open("/dev/null", O_RDONLY);  // no close-on-exec
    ASSERT_GE(inheritable, 0);
    const std::string fd = std::to_string(inheritable);
    const std::string program =
        script("fds", "if [ -e /proc/$$/fd/" + fd +
                          " ]; then echo open; else echo closed; fi > \"$0.out\"\n"
                          "[ -e /proc/$$/fd/1 ] && echo stdout >> \"$0.out\"\n");
    ASSERT_EQ(runner_.start({program}), 0);
    ASSERT_EQ(runner_.wait(), 0);
    close(inheritable);
    EXPECT_EQ(folder_.read("fds.out"), "closed\nstdout\n");
}

TEST_F(SpawnProcessRunnerTest, InstallerGetsTheDefaultSigpipeBackFromAnIgnoringLauncher) {
    SignalDisposition ignored(SIGPIPE, SIG_IGN);
    const std::string program = script("sigign", "grep SigIgn /proc/$$/status > \"$0.out\"\n");
    ASSERT_EQ(runner_.start({program}), 0);
    ASSERT_EQ(runner_.wait(), 0);
    const std::string line = folder_.read("sigign.out");
    ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    EXPECT_EQ(mask & (1ull << (SIGPIPE - 1)), 0u) << line;
}

TEST_F(SpawnProcessRunnerTest, WaitWorksWhenTheLauncherStartedWithSigchldIgnored) {
    // With SIGCHLD ignored the kernel reaps children itself and waitpid finds none.
    SignalDisposition ignored(SIGCHLD, SIG_IGN);
    const std::string program = script("exit7", "exit 7\n");
    ASSERT_EQ(runner_.start({program}), 0);
    ASSERT_EQ(runner_.wait(), 0);
    std::uint32_t code = 0;
    ASSERT_EQ(runner_.exitCode(code), 0);
    EXPECT_EQ(code, 7u);
}

TEST_F(SpawnProcessRunnerTest, WaitWithoutAStartedProcessFails) {
    EXPECT_EQ(runner_.wait(), ECHILD);
    EXPECT_EQ(runner_.start({}), EINVAL);
}

}  // namespace
}  // namespace drvlaunch
