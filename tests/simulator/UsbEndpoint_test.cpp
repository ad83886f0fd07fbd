// The USB camera over its real socket: publication, one host at a time, control requests,
// bulk transfers in packets, the host's recovery after a time-out, and dozing.

#include "simulator/UsbEndpoint.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "platform/UsbWire.h"
#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteReader.h"
#include "simulator/CameraTestKit.h"
#include "simulator/SimulatorHarness.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
namespace wire = platform::usbwire;
using test::controlCommand;
using test::SimulatorHarness;
using test::TestReply;
using test::u32At;
using test::UsbTestClient;

std::uint32_t word(const std::vector<std::uint8_t>& bytes) {
    return u32At(bytes, 0);
}

const std::vector<std::uint8_t> kZero4 = {0, 0, 0, 0};

std::vector<std::uint8_t> vendorRequest(std::uint8_t request) {
    return {2, 2, request, 0, 0, 0, 0};
}

SimOptions usbOptions() {
    SimOptions options;
    options.captureMs = 200;
    return options;
}

TEST(UsbEndpoint, PublishesTheCameraUnderItsInterfacePath) {
    SimOptions options = usbOptions();
    options.serialNumber = "AB12";
    options.productId = 0x2003;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string expected =
        harness.directory() + "/usb#vid_2e4b&pid_2003#AB12#{573e8c73-0cb4-4471-a1bf-fab26c31d384}";
    EXPECT_EQ(harness.simulator().devicePath(), expected);
    struct stat info;
    ASSERT_EQ(::stat(expected.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(harness.simulator().controlPath(), harness.directory() + "/ocucam-AB12.control");
    harness.stop();
    EXPECT_NE(::lstat(expected.c_str(), &info), 0);
    EXPECT_NE(::lstat((harness.directory() + "/ocucam-AB12.control").c_str(), &info), 0);
}

TEST(UsbEndpoint, OneHostAtATime) {
    SimulatorHarness harness(usbOptions());
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string path = harness.simulator().devicePath();
    {
        UsbTestClient first(path);
        EXPECT_EQ(first.accepted(), 1);
        UsbTestClient second(path);
        EXPECT_EQ(second.accepted(), 0);
        // The refused connection is closed; the first still works.
        EXPECT_TRUE(second.read(1, 500).empty());
        EXPECT_EQ(first.command(cmd::kInitCamera).status, CAMX_OK);
        EXPECT_EQ(controlCommand(harness.simulator().controlPath(), "state").substr(0, 9),
                  "ok open=1");
    }
    // Once the first host has gone, the camera may be opened again at once.
    UsbTestClient again(path);
    EXPECT_EQ(again.accepted(), 1);
    EXPECT_EQ(again.command(cmd::kCaptureStatus).status, CAMX_OK);
}

TEST(UsbEndpoint, AHostReopeningRightAfterClosingIsAccepted) {
    SimulatorHarness harness(usbOptions());
    ASSERT_TRUE(harness.started()) << harness.error();
    for (int round = 0; round < 50; ++round) {
        UsbTestClient host(harness.simulator().devicePath());
        ASSERT_EQ(host.accepted(), 1) << "round " << round;
        // Its last command, sent just before it closes, is handled and does no harm.
        host.write(test::commandBlock(cmd::kCaptureStatus, {}));
    }
}

TEST(UsbEndpoint, DriverControlRequests) {
    SimOptions options = usbOptions();
    options.driverVersion = 0x30001;
    options.firmware = 0x30017;
    options.secondFirmware = 0x3001D;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    UsbTestClient host(harness.simulator().devicePath());
    bool ok = false;
    EXPECT_EQ(word(host.control(wire::kIoctlDriverVersion, 4, kZero4, ok)), 0x30001u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(word(host.control(wire::kIoctlFirmwareVersion, 4, kZero4, ok)), 0x30017u);
    EXPECT_TRUE(ok);
    const std::vector<std::uint8_t> second =
        host.control(wire::kIoctlVendorRequest, 5, vendorRequest(225), ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(second.size(), 5u);
    EXPECT_EQ(word(second), 0x3001Du);
    EXPECT_EQ(word(host.control(wire::kIoctlSetTimeout, 4, {0x10, 0x27, 0, 0}, ok)), 10000u);
    EXPECT_TRUE(ok);
    host.control(wire::kIoctlDriverCommand, 4, kZero4, ok);
    EXPECT_TRUE(ok);
    // Failures: an unknown request, an unknown vendor request, too little room for the answer,
    // too short an input.
    host.control(0x5500A0FC, 4, kZero4, ok);
    EXPECT_FALSE(ok);
    host.control(wire::kIoctlVendorRequest, 5, vendorRequest(99), ok);
    EXPECT_FALSE(ok);
    host.control(wire::kIoctlDriverVersion, 2, kZero4, ok);
    EXPECT_FALSE(ok);
    host.control(wire::kIoctlSetTimeout, 4, {1, 2}, ok);
    EXPECT_FALSE(ok);
    const std::string report = controlCommand(harness.simulator().controlPath(), "driver");
    EXPECT_NE(report.find("timeout=10000 timeouts-set=1"), std::string::npos) << report;
    EXPECT_NE(report.find("second-version=1"), std::string::npos) << report;
    EXPECT_NE(report.find("driver-commands=1"), std::string::npos) << report;
}

TEST(UsbEndpoint, LargeTransfersTravelInPacketsAndEndAtTheirEnd) {
    SimulatorHarness harness(usbOptions());
    ASSERT_TRUE(harness.started()) << harness.error();
    UsbTestClient host(harness.simulator().devicePath());
    ASSERT_EQ(host.command(cmd::kInitCamera).status, CAMX_OK);
    ASSERT_EQ(host.command(cmd::kStartCapture, test::startParams()).status, CAMX_OK);
    std::vector<std::uint8_t> frame;
    const TestReply stream = host.commandIn(cmd::kStreamImages, {}, frame);
    ASSERT_EQ(stream.status, CAMX_OK);
    EXPECT_EQ(frame.size(), 10u + 640 * 480);
    // Reading more than a transfer holds stops at the transfer's end.
    host.write(test::commandBlock(cmd::kCaptureStatus, {}));
    EXPECT_EQ(host.read(200).size(), 88u);
    // Reading less leaves the rest for the next read.
    host.write(test::commandBlock(cmd::kCaptureStatus, {}));
    const std::vector<std::uint8_t> head = host.read(12);
    const std::vector<std::uint8_t> tail = host.read(76);
    ASSERT_EQ(head.size() + tail.size(), 88u);
    EXPECT_EQ(u32At(head, 0), 0xADDE3201u);
}

TEST(UsbEndpoint, PipeResetsDropALateReplyAfterATimeOut) {
    SimulatorHarness harness(usbOptions());
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string control = harness.simulator().controlPath();
    UsbTestClient host(harness.simulator().devicePath());
    ASSERT_EQ(controlCommand(control, "delay 200E 400"), "ok");
    host.write(test::commandBlock(cmd::kCaptureStatus, {}));
    EXPECT_TRUE(host.read(88, 100).empty());  // the host's read times out

    // The host's recovery before its next write: 1 ms time-out, drain, restore, reset pipes.
    bool ok = false;
    host.control(wire::kIoctlSetTimeout, 4, {1, 0, 0, 0}, ok);
    EXPECT_TRUE(host.read(1024, 1).empty());
    host.control(wire::kIoctlSetTimeout, 4, kZero4, ok);
    host.control(wire::kIoctlPipe0, 0, {3, 0, 0, 0}, ok);
    EXPECT_TRUE(ok);
    host.control(wire::kIoctlPipe1, 0, {3, 0, 0, 0}, ok);
    EXPECT_TRUE(ok);

    // The late reply never comes; the next command gets its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(450));
    const TestReply reply = host.command(cmd::kReadCameraConfig);
    EXPECT_EQ(reply.code, cmd::kReadCameraConfig);
    EXPECT_EQ(host.read(46).size(), 46u);
    const std::string report = controlCommand(control, "driver");
    EXPECT_NE(report.find("timeout=0 timeouts-set=2 pipe0=1 pipe1=1 pipe2=0 pipe3=0 pipe-resets=2"),
              std::string::npos)
        << report;
}

TEST(UsbEndpoint, APipeResetAbandonsADataPhase) {
    SimulatorHarness harness(usbOptions());
    ASSERT_TRUE(harness.started()) << harness.error();
    UsbTestClient host(harness.simulator().devicePath());
    const TestReply ack = host.command(cmd::kWriteCameraConfig, {46, 0, 0, 0});
    ASSERT_EQ(ack.status, CAMX_OK);
    bool ok = false;
    host.control(wire::kIoctlPipeReset, 0, {}, ok);
    EXPECT_TRUE(ok);
    // A command block now is a command again, not configuration data.
    EXPECT_EQ(host.command(cmd::kInitCamera).status, CAMX_OK);
}

TEST(UsbEndpoint, ADozingCameraAnswersWakeUpPollsUntilAwake) {
    SimOptions options = usbOptions();
    options.firmware = 0x40003;
    options.wakePolls = 2;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string control = harness.simulator().controlPath();
    UsbTestClient host(harness.simulator().devicePath());
    bool ok = false;
    EXPECT_EQ(word(host.control(wire::kIoctlVendorRequest, 5, vendorRequest(224), ok)), 0u);
    ASSERT_EQ(controlCommand(control, "doze"), "ok");
    EXPECT_EQ(host.command(cmd::kCaptureStatus).status, CAMX_DEV_BUSY);
    EXPECT_EQ(word(host.control(wire::kIoctlVendorRequest, 5, vendorRequest(224), ok)), 1u);
    EXPECT_EQ(word(host.control(wire::kIoctlVendorRequest, 5, vendorRequest(224), ok)), 1u);
    EXPECT_EQ(word(host.control(wire::kIoctlVendorRequest, 5, vendorRequest(224), ok)), 0u);
    EXPECT_EQ(host.command(cmd::kReadCameraConfig).status, CAMX_OK);
    EXPECT_NE(controlCommand(control, "driver").find("wake-polls=4"), std::string::npos);
}

TEST(UsbEndpoint, UnpluggingStopsTheCaptureAndFreesTheCamera) {
    SimOptions options = usbOptions();
    options.captureMs = 60000;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string control = harness.simulator().controlPath();
    UsbTestClient host(harness.simulator().devicePath());
    host.command(cmd::kInitCamera);
    host.command(cmd::kStartCapture, test::startParams());
    EXPECT_NE(controlCommand(control, "state").find("capturing=1"), std::string::npos);
    ASSERT_EQ(controlCommand(control, "unplug"), "ok");
    EXPECT_FALSE(host.command(cmd::kCaptureStatus).received);
    const std::string state = controlCommand(control, "state");
    EXPECT_NE(state.find("open=0"), std::string::npos) << state;
    EXPECT_NE(state.find("status=5"), std::string::npos) << state;
    UsbTestClient next(harness.simulator().devicePath());
    EXPECT_EQ(next.accepted(), 1);
}

TEST(UsbEndpoint, AWholeCaptureOverTheSocket) {
    SimulatorHarness harness(usbOptions());
    ASSERT_TRUE(harness.started()) << harness.error();
    UsbTestClient host(harness.simulator().devicePath());
    ASSERT_EQ(host.command(cmd::kInitCamera).status, CAMX_OK);
    ASSERT_EQ(host.command(cmd::kStartCapture, test::startParams()).status, CAMX_OK);
    int frames = 0;
    std::uint32_t status = 0;
    std::vector<std::uint32_t> seen;
    while (status < 3) {
        std::vector<std::uint8_t> frame;
        const TestReply stream = host.commandIn(cmd::kStreamImages, {}, frame);
        ASSERT_TRUE(stream.received);
        if (stream.status == CAMX_OK) {
            ++frames;
            EXPECT_EQ(frame.size(), 10u + 640 * 480);
            continue;
        }
        ASSERT_EQ(stream.status, CAMX_SE_NO_FRAME_AVAILABLE);
        status = word(host.command(cmd::kCaptureStatus).results);
        if (seen.empty() || seen.back() != status) {
            seen.push_back(status);
        }
    }
    EXPECT_GT(frames, 0);
    EXPECT_EQ(seen.back(), 3u);
    std::vector<std::uint8_t> images;
    const TestReply result = host.commandIn(cmd::kResultImage, test::imageParams(1, 2), images);
    EXPECT_EQ(result.status, CAMX_OK);
    EXPECT_EQ(images.size(), 10u + 640 * 480);
}

}  // namespace
}  // namespace ocusim
