#pragma once

#include <atomic>

namespace lensws {

// Ends the run loop of runService. Set by the service control handler on a stop request and by
// the signal handler; cleared by serviceMain before it runs the service. A lock-free atomic, so
// that a signal handler may set it.
extern std::atomic<bool> stopRequested;

static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set in a signal handler");

}  // namespace lensws
