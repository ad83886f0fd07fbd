// The session table alone: how many register + lock + unlock + unregister cycles it serves per
// second, on one thread and with five threads sharing it (the web server's worker count).
#include <benchmark/benchmark.h>

#include "capture/SessionManager.h"

namespace {

lensws::SessionManager& sharedSessions() {
    static lensws::SessionManager sessions(600, 30);
    return sessions;
}

void sessionCycle(benchmark::State& state) {
    lensws::SessionManager& sessions = sharedSessions();
    std::int64_t refused = 0;
    for (auto _ : state) {
        lensws::SessionManager::SessionId id;
        if (sessions.registerSession(id) != lensws::ResultStatus::success) {
            state.SkipWithError("registration failed");
            break;
        }
        refused += sessions.acquireLock(id) == lensws::ResultStatus::success ? 0 : 1;
        refused += sessions.releaseLock(id) == lensws::ResultStatus::success ? 0 : 1;
        sessions.unregisterSession(id);
    }
    state.counters["cycles/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["lock refusals"] = static_cast<double>(refused);
}
BENCHMARK(sessionCycle)->Threads(1)->Threads(5)->UseRealTime();

// A table in which one session holds the lock; built once, before any thread reads it.
struct HeldLock {
    HeldLock() : sessions(600, 30) {
        sessions.registerSession(holder);
        sessions.acquireLock(holder);
    }
    lensws::SessionManager sessions;
    lensws::SessionManager::SessionId holder;
};

void holderCheck(benchmark::State& state) {
    static HeldLock held;
    for (auto _ : state) {
        benchmark::DoNotOptimize(held.sessions.checkLockHolder(held.holder, true));
    }
}
BENCHMARK(holderCheck)->Threads(1)->Threads(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
