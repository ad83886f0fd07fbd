#include "sdk/CaptureThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The record and what its body touches, co-owned by the body as a device is by its capture
// thread.
struct Shared {
    sdk::CaptureThread thread;
    std::atomic<int> delivered{0};
    std::atomic<bool> release{false};
    std::atomic<bool> bodyDone{false};
    std::atomic<bool> callbackReturned{false};
};

template <typename Predicate>
bool eventually(Predicate predicate) {
    for (int i = 0; i < 5000; ++i) {
        if (predicate()) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

void waitForRelease(const Shared& shared) {
    while (!shared.release.load()) {
        std::this_thread::sleep_for(1ms);
    }
}

TEST(CaptureThreadConcurrency, JoinOnTheThreadItselfReturnsAndOthersWait) {
    auto shared = std::make_shared<Shared>();
    std::atomic<bool> current{false};
    ASSERT_TRUE(shared->thread.start([shared, &current]() {
        current = shared->thread.isCurrent();
        shared->thread.join();  // would never end if it waited for itself
        shared->bodyDone = true;
    }));
    EXPECT_FALSE(shared->thread.isCurrent());
    shared->thread.join();
    EXPECT_TRUE(shared->bodyDone.load());
    EXPECT_TRUE(current.load());
    EXPECT_FALSE(shared->thread.running());
    // Joined: a new thread can start.
    ASSERT_TRUE(shared->thread.start([]() {}));
    shared->thread.join();
}

TEST(CaptureThreadConcurrency, AThreadStillJoinableCannotBeReplaced) {
    auto shared = std::make_shared<Shared>();
    ASSERT_TRUE(shared->thread.start([shared]() { waitForRelease(*shared); }));
    EXPECT_FALSE(shared->thread.start([]() {}));
    shared->release = true;
    shared->thread.join();
}

TEST(CaptureThreadConcurrency, TeardownAbandonsAThreadThatDoesNotEnd) {
    auto shared = std::make_shared<Shared>();
    ASSERT_TRUE(shared->thread.start([shared]() {
        shared->thread.callBack([&]() { ++shared->delivered; });
        waitForRelease(*shared);  // stuck, e.g. in a command that takes long
        shared->thread.callBack([&]() { ++shared->delivered; });
        shared->bodyDone = true;
    }));
    ASSERT_TRUE(eventually([&]() { return shared->delivered.load() == 1; }));
    shared->thread.finish(20);
    EXPECT_FALSE(shared->thread.running());
    shared->release = true;
    ASSERT_TRUE(eventually([&]() { return shared->bodyDone.load(); }));
    // Abandoned: the body ran on, but its later callback was withheld.
    EXPECT_EQ(shared->delivered.load(), 1);
}

TEST(CaptureThreadConcurrency, TeardownWaitsForACallbackInProgress) {
    auto shared = std::make_shared<Shared>();
    ASSERT_TRUE(shared->thread.start([shared]() {
        shared->thread.callBack([&]() {
            ++shared->delivered;
            waitForRelease(*shared);
            shared->callbackReturned = true;
        });
    }));
    ASSERT_TRUE(eventually([&]() { return shared->delivered.load() == 1; }));
    std::atomic<bool> sawReturned{false};
    std::thread tearDown([&]() {
        shared->thread.finish(10);
        sawReturned = shared->callbackReturned.load();
    });
    std::this_thread::sleep_for(100ms);
    shared->release = true;
    tearDown.join();
    // The callback's context may be freed once finish returns: it had to wait for the call.
    EXPECT_TRUE(sawReturned.load());
}

TEST(CaptureThreadConcurrency, TeardownFromTheThreadsOwnCallback) {
    auto shared = std::make_shared<Shared>();
    ASSERT_TRUE(shared->thread.start([shared]() {
        shared->thread.callBack([&]() {
            ++shared->delivered;
            shared->thread.finish(10000);  // a callback closing its own device
        });
        shared->thread.callBack([&]() { ++shared->delivered; });
        shared->bodyDone = true;
    }));
    ASSERT_TRUE(eventually([&]() { return shared->bodyDone.load(); }));
    EXPECT_EQ(shared->delivered.load(), 1);
}

TEST(CaptureThreadConcurrency, FinishJoinsAThreadThatEnds) {
    auto shared = std::make_shared<Shared>();
    ASSERT_TRUE(shared->thread.start(
        [shared]() { shared->thread.callBack([&]() { ++shared->delivered; }); }));
    shared->thread.finish(10000);
    EXPECT_EQ(shared->delivered.load(), 1);
    // Joined, not abandoned: the next thread's callbacks are delivered.
    ASSERT_TRUE(shared->thread.start(
        [shared]() { shared->thread.callBack([&]() { ++shared->delivered; }); }));
    shared->thread.join();
    EXPECT_EQ(shared->delivered.load(), 2);
}

}  // namespace
