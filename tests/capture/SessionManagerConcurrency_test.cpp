#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "capture/ManualClock.h"
#include "capture/SessionManager.h"

namespace lensws {
namespace {

using testsupport::ManualClock;

// Holds every thread until all have arrived, so that their calls really overlap.
class StartLine {
public:
    explicit StartLine(int count) : waiting_(count) {}
    void arriveAndWait() {
        waiting_.fetch_sub(1);
        while (waiting_.load() > 0) {
            std::this_thread::yield();
        }
    }

private:
    std::atomic<int> waiting_;
};

std::vector<std::string> registerMany(SessionManager& sessions, int count) {
    std::vector<std::string> ids;
    for (int i = 0; i < count; ++i) {
        SessionManager::SessionId id;
        EXPECT_EQ(sessions.registerSession(id), ResultStatus::success);
        ids.emplace_back(id);
    }
    return ids;
}

int countHolders(SessionManager& sessions, const std::vector<std::string>& ids) {
    int holders = 0;
    for (const std::string& id : ids) {
        holders += sessions.checkLockHolder(id.c_str(), false) == ResultStatus::success ? 1 : 0;
    }
    return holders;
}

TEST(SessionManagerConcurrency, SixtyRegistrationsAtOnceFillThirtySlots) {
    SessionManager sessions(600, 30);
    constexpr int kThreads = 60;
    StartLine start(kThreads);
    std::vector<ResultStatus> results(kThreads, ResultStatus::failure);
    std::vector<std::string> ids(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arriveAndWait();
            SessionManager::SessionId id;
            results[static_cast<std::size_t>(t)] = sessions.registerSession(id);
            ids[static_cast<std::size_t>(t)] = id;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<std::string> distinct;
    int successes = 0;
    int failures = 0;
    for (int t = 0; t < kThreads; ++t) {
        if (results[static_cast<std::size_t>(t)] == ResultStatus::success) {
            ++successes;
            distinct.insert(ids[static_cast<std::size_t>(t)]);
            EXPECT_EQ(sessions.checkLockHolder(ids[static_cast<std::size_t>(t)].c_str(), false),
                      ResultStatus::lockNotHeld);
        } else {
            ++failures;
            EXPECT_EQ(results[static_cast<std::size_t>(t)], ResultStatus::failure);
        }
    }
    EXPECT_EQ(successes, SessionManager::kSlotCount);
    EXPECT_EQ(failures, kThreads - SessionManager::kSlotCount);
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(SessionManager::kSlotCount));
}

TEST(SessionManagerConcurrency, RacingAcquiresLeaveExactlyOneHolder) {
    SessionManager sessions(600, 30);
    std::vector<std::string> ids = registerMany(sessions, 20);
    StartLine start(static_cast<int>(ids.size()));
    std::atomic<int> successes{0};
    std::atomic<int> refusals{0};
    std::vector<std::thread> threads;
    for (const std::string& id : ids) {
        threads.emplace_back([&, id] {
            start.arriveAndWait();
            ResultStatus status = sessions.acquireLock(id.c_str());
            if (status == ResultStatus::success) {
                ++successes;
            } else if (status == ResultStatus::lockHeldByAnother) {
                ++refusals;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(successes.load(), 1);
    EXPECT_EQ(refusals.load(), static_cast<int>(ids.size()) - 1);
    EXPECT_EQ(countHolders(sessions, ids), 1);
}

TEST(SessionManagerConcurrency, RacingStealsLetExactlyOneThrough) {
    ManualClock clock(1'700'000'000);
    SessionManager sessions(600, 30, clock);
    std::vector<std::string> ids = registerMany(sessions, 20);
    ASSERT_EQ(sessions.acquireLock(ids[0].c_str()), ResultStatus::success);
    StartLine start(static_cast<int>(ids.size()) - 1);
    std::atomic<int> successes{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < ids.size(); ++i) {
        threads.emplace_back([&, i] {
            start.arriveAndWait();
            ResultStatus status = sessions.stealLock(ids[i].c_str());
            if (status == ResultStatus::success) {
                ++successes;
            } else if (status == ResultStatus::failure) {
                ++failures;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    // The first steal opens the prevention period; every later one at the same moment fails.
    EXPECT_EQ(successes.load(), 1);
    EXPECT_EQ(failures.load(), static_cast<int>(ids.size()) - 2);
    EXPECT_EQ(countHolders(sessions, ids), 1);
    EXPECT_NE(sessions.checkLockHolder(ids[0].c_str(), false), ResultStatus::success);
}

// Lock, steal, unlock and holder checks from many threads while time moves on; afterwards
// every session agrees on one holder or on none.
TEST(SessionManagerConcurrency, MixedLockTrafficLeavesOneConsistentHolder) {
    ManualClock clock(1'700'000'000);
    SessionManager sessions(600, 30, clock);
    std::vector<std::string> ids = registerMany(sessions, 8);
    std::atomic<bool> running{true};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < ids.size(); ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(t));
            const char* id = ids[t].c_str();
            for (int i = 0; i < 2000; ++i) {
                switch (random() % 4) {
                    case 0:
                        sessions.acquireLock(id);
                        break;
                    case 1:
                        sessions.stealLock(id);
                        break;
                    case 2:
                        sessions.releaseLock(id);
                        break;
                    default:
                        sessions.checkLockHolder(id, true);
                        break;
                }
            }
        });
    }
    std::thread ticker([&] {
        for (int i = 0; i < 200 && running.load(); ++i) {
            clock.advance(1);
            std::this_thread::yield();
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    running = false;
    ticker.join();

    int holders = countHolders(sessions, ids);
    EXPECT_LE(holders, 1);
    for (const std::string& id : ids) {
        ResultStatus status = sessions.checkLockHolder(id.c_str(), false);
        if (holders == 0) {
            EXPECT_EQ(status, ResultStatus::lockNotHeld);
        } else {
            EXPECT_TRUE(status == ResultStatus::success ||
                        status == ResultStatus::lockHeldByAnother);
        }
    }
    // Whoever holds it now can be displaced only by a steal; an acquire from another is refused.
    if (holders == 1) {
        for (const std::string& id : ids) {
            if (sessions.checkLockHolder(id.c_str(), false) != ResultStatus::success) {
                EXPECT_EQ(sessions.acquireLock(id.c_str()), ResultStatus::lockHeldByAnother);
            }
        }
    }
}

}  // namespace
}  // namespace lensws
