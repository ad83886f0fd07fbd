#include "service/ServiceWatchdog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/ServerProbe.h"

namespace lensws {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Keep-alives go out every half interval, only after the server answered; a server that does
// not answer is asked again at every tick and gets no keep-alive until it answers.
TEST(ServiceWatchdogTest, KeepAlivesFollowAnsweredProbesOnly) {
    std::vector<bool> answers;
    std::vector<milliseconds> waits;
    int pings = 0;
    ServiceWatchdog watchdog(
        seconds(30),
        [&](milliseconds wait) {
            waits.push_back(wait);
            const bool answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        },
        [&] { ++pings; });
    EXPECT_EQ(watchdog.probeWait(), milliseconds(5000));

    const ServiceWatchdog::Clock::time_point start{};
    struct Step {
        int second;
        bool answer;  // what the server answers when asked
        bool asked;
        int pings;
    };
    const Step steps[] = {
        {0, true, true, 1},   {1, true, false, 1}, {14, true, false, 1}, {15, false, true, 1},
        {16, false, true, 1}, {17, true, true, 2}, {31, true, false, 2}, {32, true, true, 3},
    };
    for (const Step& step : steps) {
        answers.assign(1, step.answer);
        const std::size_t asked = waits.size();
        watchdog.tick(start + seconds(step.second));
        EXPECT_EQ(waits.size() > asked, step.asked) << "second " << step.second;
        EXPECT_EQ(pings, step.pings) << "second " << step.second;
    }
}

TEST(ServiceWatchdogTest, WithoutAWatchdogNothingIsAsked) {
    int probes = 0;
    int pings = 0;
    ServiceWatchdog watchdog(
        std::chrono::microseconds::zero(), [&](milliseconds) { return ++probes > 0; },
        [&] { ++pings; });
    watchdog.tick(ServiceWatchdog::Clock::now());
    EXPECT_EQ(probes + pings, 0);
    EXPECT_EQ(ServiceWatchdog(seconds(2), nullptr, nullptr).probeWait(), milliseconds(500));
}

TEST(ServerProbeTest, ProbesTheFirstPlainPortAtItsAddress) {
    struct Row {
        const char* ports;
        const char* host;
        int port;
        bool tls;
    };
    const Row table[] = {
        {"8081, 4444s", "127.0.0.1", 8081, false},
        {"4444s,8081", "127.0.0.1", 8081, false},
        {"127.0.0.1:9000,127.0.0.1:9443s", "127.0.0.1", 9000, false},
        {"80r, 443s", "127.0.0.1", 443, true},
        {"0.0.0.0:8081", "127.0.0.1", 8081, false},
        {"192.168.1.7:8081", "192.168.1.7", 8081, false},
        {"[::1]:8081", "::1", 8081, false},
        {"[::]:8081", "::1", 8081, false},
        {"+8081", "127.0.0.1", 8081, false},
        {"x, 70000, 8082", "127.0.0.1", 8082, false},
        {"", "", 0, false},
        {"80r", "", 0, false},
    };
    for (const Row& row : table) {
        const ServerProbe probe(row.ports);
        EXPECT_EQ(probe.host(), row.host) << row.ports;
        EXPECT_EQ(probe.port(), row.port) << row.ports;
        EXPECT_EQ(probe.tls(), row.tls) << row.ports;
        EXPECT_EQ(probe.valid(), row.port != 0) << row.ports;
    }
    EXPECT_FALSE(ServerProbe("").answers(milliseconds(10)));
}

}  // namespace
}  // namespace lensws
