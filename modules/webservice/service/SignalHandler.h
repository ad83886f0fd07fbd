#pragma once

namespace lensws {

// Prints "Caught signal <n>" and acts on the signal. SIGINT and SIGTERM request an orderly stop
// (stopRequested); SIGILL, SIGFPE and SIGSEGV end the process with the signal's default action,
// because returning from them would run the faulting instruction again. Uses only
// async-signal-safe calls.
void onSignal(int signal);

// Installs onSignal for SIGINT, SIGILL, SIGFPE, SIGSEGV and SIGTERM, in that order. False when
// one of them could not be installed.
bool installSignalHandlers();

}  // namespace lensws
