// The simulator's thread beside the threads that use it: a host and several control clients
// working at once, then a stop requested from yet another thread.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"
#include "simulator/SimulatorHarness.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::controlCommand;
using test::SimulatorHarness;
using test::UsbTestClient;

TEST(SimulatorConcurrency, HostAndControlClientsAtOnce) {
    SimOptions options;
    options.captureMs = 100;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string control = harness.simulator().controlPath();
    std::atomic<int> commandsSent{0};
    std::thread host([&] {
        UsbTestClient client(harness.simulator().devicePath());
        ASSERT_EQ(client.command(cmd::kInitCamera).status, CAMX_OK);
        for (int round = 0; round < 3; ++round) {
            ASSERT_EQ(client.command(cmd::kStartCapture, test::startParams()).status, CAMX_OK);
            ++commandsSent;
            for (;;) {
                const test::TestReply status = client.command(cmd::kCaptureStatus);
                ASSERT_TRUE(status.received);
                if (test::u32At(status.results, 0) == 3) {
                    break;
                }
            }
        }
    });
    std::vector<std::thread> watchers;
    std::atomic<int> answers{0};
    for (int i = 0; i < 3; ++i) {
        watchers.emplace_back([&] {
            for (int j = 0; j < 30; ++j) {
                if (controlCommand(control, j % 2 ? "state" : "count 2009").rfind("ok", 0) == 0) {
                    ++answers;
                }
            }
        });
    }
    host.join();
    for (std::thread& watcher : watchers) {
        watcher.join();
    }
    EXPECT_EQ(answers.load(), 90);
    EXPECT_EQ(controlCommand(control, "count 2009"), "ok " + std::to_string(commandsSent.load()));
    std::thread stopper([&] { harness.stop(); });
    stopper.join();
}

}  // namespace
}  // namespace ocusim
