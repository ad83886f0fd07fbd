#include "service/SignalHandler.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>

#include "service/StopFlag.h"

namespace lensws {

namespace {

// Formats "Caught signal <n>\n" into `out` without the non-reentrant formatted-output
// functions; returns the length.
std::size_t formatCaughtSignal(int signal, char (&out)[40]) {
    static const char kPrefix[] = "Caught signal ";
    std::size_t length = 0;
    for (const char* p = kPrefix; *p != '\0'; ++p) {
        out[length++] = *p;
    }
    unsigned value =
        signal < 0 ? 0u - static_cast<unsigned>(signal) : static_cast<unsigned>(signal);
    if (signal < 0) {
        out[length++] = '-';
    }
    char digits[12];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        out[length++] = digits[--count];
    }
    out[length++] = '\n';
    return length;
}

}  // namespace

void onSignal(int signal) {
    const int savedErrno = errno;
    char text[40];
    std::size_t length = formatCaughtSignal(signal, text);
    ssize_t written = ::write(STDOUT_FILENO, text, length);
    (void)written;  // nothing sensible is left to do when the console is gone
    if (signal == SIGINT || signal == SIGTERM) {
        stopRequested = true;
        errno = savedErrno;
        return;
    }
    // The signal is blocked while this handler runs: with the default action restored, the
    // raised signal ends the process as soon as the handler returns (and a fault raised by the
    // instruction itself ends it when the instruction runs again).
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    raise(signal);
    errno = savedErrno;
}

bool installSignalHandlers() {
    static const int kSignals[] = {SIGINT, SIGILL, SIGFPE, SIGSEGV, SIGTERM};
    bool installed = true;
    for (int signal : kSignals) {
        struct sigaction action {};
        action.sa_handler = &onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (sigaction(signal, &action, nullptr) != 0) {
            installed = false;
        }
    }
    return installed;
}

}  // namespace lensws
