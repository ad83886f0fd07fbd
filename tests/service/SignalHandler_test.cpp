#include "service/SignalHandler.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "service/StopFlag.h"

namespace lensws {
namespace {

// Runs `action` with standard output going into a pipe and returns what was written.
template <class Action>
std::string capturedStdout(Action action) {
    int fds[2];
    if (pipe(fds) != 0) {
        return "pipe failed";
    }
    int saved = dup(STDOUT_FILENO);
    dup2(fds[1], STDOUT_FILENO);
    action();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(fds[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    return text;
}

void restoreDefaults() {
    for (int signal : {SIGINT, SIGILL, SIGFPE, SIGSEGV, SIGTERM}) {
        std::signal(signal, SIG_DFL);
    }
}

TEST(SignalHandlerTest, InterruptAndTerminateRequestAnOrderlyStop) {
    ASSERT_TRUE(installSignalHandlers());
    for (int signal : {SIGINT, SIGTERM}) {
        stopRequested = false;
        std::string text = capturedStdout([signal] { std::raise(signal); });
        EXPECT_EQ(text, "Caught signal " + std::to_string(signal) + "\n");
        EXPECT_TRUE(stopRequested);
    }
    stopRequested = false;
    restoreDefaults();
}

// Death tests: the handler must end the process with the signal instead of returning into the
// faulting code again and again. Its message goes to standard output, which the child sends to
// standard error here so that the death test can see it.
void dieBy(int signal) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    installSignalHandlers();
    std::raise(signal);
    // Not reached when the handler ends the process.
    std::_Exit(0);
}

TEST(SignalHandlerDeathTest, FatalSignalsPrintAndEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(dieBy(SIGSEGV), ::testing::KilledBySignal(SIGSEGV), "Caught signal 11\n");
    EXPECT_EXIT(dieBy(SIGILL), ::testing::KilledBySignal(SIGILL), "Caught signal 4\n");
    EXPECT_EXIT(dieBy(SIGFPE), ::testing::KilledBySignal(SIGFPE), "Caught signal 8\n");
}

void faultForReal() {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    installSignalHandlers();
    // A real fault: returning from the handler would run the faulting store again.
    volatile int* volatile nowhere = reinterpret_cast<int*>(16);
    *nowhere = 1;
    std::_Exit(0);
}

TEST(SignalHandlerDeathTest, RealSegmentationFaultEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(faultForReal(), ::testing::KilledBySignal(SIGSEGV), "Caught signal 11\n");
}

}  // namespace
}  // namespace lensws
