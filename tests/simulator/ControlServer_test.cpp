// The control socket: every command's answer, its effect on the camera as a host sees it, and
// bad input.

#include "simulator/ControlServer.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

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

class ControlServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimOptions options;
        options.captureMs = 150;
        options.firmware = 0x40003;
        options.dozeMs = 600000;  // the test client does not wake the camera
        harness_ = std::make_unique<SimulatorHarness>(options);
        ASSERT_TRUE(harness_->started()) << harness_->error();
        host_ = std::make_unique<UsbTestClient>(harness_->simulator().devicePath());
    }
    std::string control(const std::string& line) {
        return controlCommand(harness_->simulator().controlPath(), line);
    }
    // Runs a capture to its end over USB.
    void capture() {
        host_->command(cmd::kInitCamera);
        host_->command(cmd::kStartCapture, test::startParams());
        for (int i = 0; i < 100; ++i) {
            if (test::u32At(host_->command(cmd::kCaptureStatus).results, 0) == 3) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::unique_ptr<SimulatorHarness> harness_;
    std::unique_ptr<UsbTestClient> host_;
};

TEST_F(ControlServerTest, StateDescribesTheCamera) {
    EXPECT_EQ(control("state"),
              "ok open=1 initialised=0 capturing=0 status=0 dozing=0 gallery=0 templates=0 "
              "subject=guest");
    capture();
    host_->command(cmd::kEnroll, test::textParam("guest"));
    EXPECT_EQ(control("state"),
              "ok open=1 initialised=1 capturing=0 status=3 dozing=0 gallery=1 templates=1 "
              "subject=guest");
}

TEST_F(ControlServerTest, SubjectNoneEndsCapturesWithoutAQualifiedFrame) {
    EXPECT_EQ(control("subject none"), "ok");
    capture();
    EXPECT_EQ(host_->command(cmd::kResultImage, test::imageParams(1, 2)).status,
              CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(control("subject zoe"), "ok");
    capture();
    EXPECT_EQ(host_->command(cmd::kResultQuality, {0}).status, CAMX_OK);
    EXPECT_NE(control("state").find("subject=zoe"), std::string::npos);
}

TEST_F(ControlServerTest, FailAnswersTheNextCommandOfThatCodeOnce) {
    EXPECT_EQ(control("fail 2003 0x1005"), "ok");
    EXPECT_EQ(control("fail 0x3021 4005"), "ok");
    EXPECT_EQ(host_->command(cmd::kInitCamera).status, 0x1005);
    EXPECT_EQ(host_->command(cmd::kInitCamera).status, CAMX_OK);
    const test::TestReply missing = host_->command(cmd::kEnrolleeRecord, test::textParam("x"));
    EXPECT_EQ(missing.status, CAMX_GAL_ID_NOT_EXIST);
    EXPECT_TRUE(missing.results.empty());
    EXPECT_EQ(control("count 2003"), "ok 2");
    EXPECT_EQ(control("count 0x10C0"), "ok 0");
}

TEST_F(ControlServerTest, WireFaultsReachTheHost) {
    EXPECT_EQ(control("echo 200E 2003"), "ok");
    EXPECT_EQ(host_->command(cmd::kCaptureStatus).code, cmd::kInitCamera);
    EXPECT_EQ(control("short 10C0 30"), "ok");
    host_->write(test::commandBlock(cmd::kReadCameraConfig, {}));
    EXPECT_EQ(host_->read(88).size(), 30u);
    EXPECT_EQ(control("drop 2003"), "ok");
    host_->write(test::commandBlock(cmd::kInitCamera, {}));
    EXPECT_TRUE(host_->read(88, 200).empty());
}

TEST_F(ControlServerTest, SettingsChangeTheNextCapture) {
    EXPECT_EQ(control("capture-ms 50"), "ok");
    EXPECT_EQ(control("frame-rate 10"), "ok");
    EXPECT_EQ(control("eyes left"), "ok");
    EXPECT_EQ(control("doze-ms 100000"), "ok");
    EXPECT_EQ(control("wake-polls 0"), "ok");
    EXPECT_EQ(control("empty-gallery-status 0"), "ok");
    const test::TestReply empty = host_->command(cmd::kListEnrollees, {0, 3, 0, 0, 0});
    EXPECT_EQ(empty.status, CAMX_OK);
    capture();
    EXPECT_EQ(host_->command(cmd::kResultQuality, {0}).status, CAMX_OK);
    EXPECT_EQ(control("doze"), "ok");
    EXPECT_NE(control("state").find("dozing=1"), std::string::npos);
}

TEST_F(ControlServerTest, NextDistanceIsReportedByOneComparisonWithAnEnrollee) {
    capture();
    ASSERT_EQ(host_->command(cmd::kEnroll, test::textParam("guest")).status, CAMX_OK);
    const auto compare = [this](const char* id) {
        return host_->command(cmd::kCompareWithEnrollee, test::textParam(id));
    };
    EXPECT_EQ(control("next-distance 1.05"), "ok");
    // A refused comparison does not use it up.
    EXPECT_EQ(compare("nobody").status, CAMX_GAL_ID_NOT_EXIST);
    const test::TestReply set = compare("guest");
    ASSERT_EQ(set.status, CAMX_OK);
    EXPECT_EQ(test::f32At(set.results, 0), 1.05f);
    const float measured = test::f32At(compare("guest").results, 0);
    EXPECT_LT(measured, 0.3f);
    EXPECT_EQ(control("next-distance 0"), "ok");
    EXPECT_EQ(test::f32At(compare("guest").results, 0), 0.0f);
    for (const char* bad :
         {"next-distance", "next-distance 2", "next-distance -0.1", "next-distance 1.0x",
          "next-distance nan", "next-distance 1e-1", "next-distance 0.5 0.6"}) {
        EXPECT_EQ(control(bad).rfind("error", 0), 0u) << bad;
    }
    EXPECT_EQ(control("next-distance 1.999"), "ok");
    EXPECT_EQ(control("next-distance off"), "ok");
    EXPECT_EQ(test::f32At(compare("guest").results, 0), measured);
}

TEST_F(ControlServerTest, BadCommandsAnswerErrors) {
    for (const char* line :
         {"", "bogus", "subject", "eyes sideways", "capture-ms -1", "capture-ms 600001",
          "frame-rate 0", "fail 2003", "fail xyz 1", "fail 2003 10000", "count", "delay 2003 soon",
          "short 2003 88", "empty-gallery-status 4005", "state now"}) {
        const std::string answer = control(line);
        EXPECT_EQ(answer.rfind("error", 0), 0u) << "'" << line << "' gave '" << answer << "'";
    }
    EXPECT_EQ(control("help").rfind("ok subject", 0), 0u);
}

TEST_F(ControlServerTest, ManyLinesOnOneConnectionAndOverlongLines) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, harness_->simulator().controlPath().c_str(),
                 sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string lines = "count 2003\r\nsubject amy\nstate\n";
    ASSERT_EQ(::send(fd, lines.data(), lines.size(), 0), static_cast<ssize_t>(lines.size()));
    std::string answers;
    char buffer[256];
    pollfd ready{fd, POLLIN, 0};
    while (std::count(answers.begin(), answers.end(), '\n') < 3 && ::poll(&ready, 1, 3000) > 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        answers.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(answers.substr(0, 8), "ok 0\nok\n");
    EXPECT_NE(answers.find("subject=amy"), std::string::npos);
    const std::string flood(5000, 'x');
    ::send(fd, flood.data(), flood.size(), MSG_NOSIGNAL);
    std::string last;
    while (::poll(&ready, 1, 3000) > 0) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        last.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(last, "error line too long\n");
    ::close(fd);
    EXPECT_EQ(control("count 2003"), "ok 0");  // the server lives on
}

}  // namespace
}  // namespace ocusim
