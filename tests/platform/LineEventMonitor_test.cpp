#include "platform/LineEventMonitor.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::LineEventMonitor;

// Waits (bounded) until `condition` holds.
template <typename Condition>
bool eventually(Condition condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

TEST(LineEventMonitorConcurrency, CountsChangesOfTheCtsLine) {
    std::atomic<int> lines{TIOCM_DSR};
    LineEventMonitor monitor([&](int* bits) {
        *bits = lines.load();
        return true;
    });
    ASSERT_TRUE(monitor.start(2000));
    EXPECT_TRUE(monitor.running());
    EXPECT_TRUE(monitor.modemStatusAvailable());

    lines = TIOCM_DSR | TIOCM_CTS;
    ASSERT_TRUE(eventually([&] { return monitor.ctsEventCount() == 1; }));
    EXPECT_EQ(monitor.lastModemStatus(), TIOCM_DSR | TIOCM_CTS);

    // Other lines are no CTS events.
    lines = TIOCM_CTS;
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * LineEventMonitor::kSampleIntervalMs));
    EXPECT_EQ(monitor.ctsEventCount(), 1u);

    lines = 0;
    ASSERT_TRUE(eventually([&] { return monitor.ctsEventCount() == 2; }));
    monitor.stop();
    EXPECT_FALSE(monitor.running());
}

TEST(LineEventMonitorConcurrency, IdlesWhenThePortHasNoModemLines) {
    std::atomic<int> reads{0};
    LineEventMonitor monitor([&](int*) {
        ++reads;
        return false;
    });
    ASSERT_TRUE(monitor.start(2000));
    EXPECT_TRUE(monitor.running());
    EXPECT_FALSE(monitor.modemStatusAvailable());
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * LineEventMonitor::kSampleIntervalMs));
    EXPECT_EQ(reads.load(), 1);  // asked once, then left alone
    EXPECT_EQ(monitor.ctsEventCount(), 0u);
    monitor.stop();
    EXPECT_FALSE(monitor.running());
}

TEST(LineEventMonitorConcurrency, LinesThatVanishStopTheWatchingNotTheThread) {
    std::atomic<bool> available{true};
    LineEventMonitor monitor([&](int* bits) {
        *bits = 0;
        return available.load();
    });
    ASSERT_TRUE(monitor.start(2000));
    available = false;
    ASSERT_TRUE(eventually([&] { return !monitor.modemStatusAvailable(); }));
    EXPECT_TRUE(monitor.running());
}

TEST(LineEventMonitorConcurrency, RestartsAndStopsRepeatedly) {
    LineEventMonitor monitor([](int* bits) {
        *bits = 0;
        return true;
    });
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(monitor.start(2000));
        EXPECT_TRUE(monitor.running());
        monitor.stop();
        EXPECT_FALSE(monitor.running());
    }
    monitor.stop();  // stopping a stopped monitor is harmless
}

}  // namespace
