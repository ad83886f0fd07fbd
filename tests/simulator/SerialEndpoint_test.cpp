// The serial camera on its pseudo-terminal: the link, blocks and data phases as a byte stream,
// resynchronisation after line noise, the wake-up command, and the open/closed state.

#include "simulator/SerialEndpoint.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/CameraTestKit.h"
#include "simulator/SimulatorHarness.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::commandBlock;
using test::controlCommand;
using test::parseReplyBlock;
using test::SimulatorHarness;
using test::TestReply;
using test::u32At;

// The host's end of the line: the terminal opened through the link, raw.
class SerialLine {
public:
    explicit SerialLine(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios settings;
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~SerialLine() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool open() const { return fd_ >= 0; }
    void write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<std::uint8_t> read(std::size_t count, int timeoutMs = 3000) {
        std::vector<std::uint8_t> out;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
            if (n <= 0) {
                break;
            }
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }
    TestReply command(std::uint16_t code, const std::vector<std::uint8_t>& params = {}) {
        write(commandBlock(code, params));
        return parseReplyBlock(read(88));
    }

private:
    int fd_ = -1;
};

SimOptions serialOptions(const std::string& link) {
    SimOptions options;
    options.serialLink = link;
    options.baud = 921600;
    options.firmware = 0x30017;
    return options;
}

class SerialEndpointTest : public ::testing::Test {
protected:
    testsupport::TempDir links_;
    std::string link() const { return links_.path() + "/ttyCAM0"; }
};

TEST_F(SerialEndpointTest, TheLinkLeadsToTheTerminalAndIsRemovedAtTheEnd) {
    SimulatorHarness harness(serialOptions(link()));
    ASSERT_TRUE(harness.started()) << harness.error();
    char target[256] = {};
    ASSERT_GT(::readlink(link().c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), harness.simulator().terminalPath());
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u);
    EXPECT_TRUE(harness.simulator().devicePath().empty());
    harness.stop();
    struct stat info;
    EXPECT_NE(::lstat(link().c_str(), &info), 0);
}

TEST_F(SerialEndpointTest, IdentityAndVersionsOverTheLine) {
    SimulatorHarness harness(serialOptions(link()));
    ASSERT_TRUE(harness.started()) << harness.error();
    SerialLine line(link());
    ASSERT_TRUE(line.open());
    const TestReply firmware = line.command(cmd::kFirmwareVersion);
    ASSERT_EQ(firmware.status, CAMX_OK);
    ASSERT_EQ(firmware.results.size(), 8u);
    EXPECT_EQ(u32At(firmware.results, 0), 0x30017u);
    EXPECT_EQ(u32At(firmware.results, 4), 0x30018u);
    const TestReply product = line.command(cmd::kProductId);
    ASSERT_EQ(product.results.size(), 4u);
    EXPECT_EQ(product.results[2] | (product.results[3] << 8), 0x2001);
    const TestReply wake = line.command(cmd::kWakeUp);
    EXPECT_EQ(wake.code, cmd::kWakeUp);
    EXPECT_EQ(u32At(wake.results, 0), 0u);  // firmware before 0x40000 never dozes
    // A serial camera's configuration says so in field 9.
    line.write(commandBlock(cmd::kReadCameraConfig, {}));
    const TestReply config = parseReplyBlock(line.read(88));
    const std::vector<std::uint8_t> data = line.read(u32At(config.results, 0));
    ASSERT_EQ(data.size(), 46u);
    EXPECT_EQ(data[14], 6);
}

TEST_F(SerialEndpointTest, DataPhasesAndNoiseOnTheLine) {
    SimulatorHarness harness(serialOptions(link()));
    ASSERT_TRUE(harness.started()) << harness.error();
    SerialLine line(link());
    line.write(commandBlock(cmd::kReadCameraConfig, {}));
    parseReplyBlock(line.read(88));
    std::vector<std::uint8_t> config = line.read(46);
    config[1] = 1;  // deduplicate on enrollment
    // Noise before the block is skipped.
    line.write({0x00, 0x13, 0x01, 0x32, 0xFF});
    const TestReply ack = line.command(cmd::kWriteCameraConfig, {46, 0, 0, 0});
    ASSERT_EQ(ack.code, cmd::kWriteCameraConfig);
    ASSERT_EQ(ack.status, CAMX_OK);
    line.write(config);
    EXPECT_EQ(parseReplyBlock(line.read(88)).status, CAMX_OK);
    line.write(commandBlock(cmd::kReadCameraConfig, {}));
    parseReplyBlock(line.read(88));
    EXPECT_EQ(line.read(46), config);
}

TEST_F(SerialEndpointTest, AnUnfinishedBlockIsDroppedAfterASecondOfSilence) {
    SimulatorHarness harness(serialOptions(link()));
    ASSERT_TRUE(harness.started()) << harness.error();
    SerialLine line(link());
    const std::vector<std::uint8_t> block = commandBlock(cmd::kInitCamera, {});
    line.write(std::vector<std::uint8_t>(block.begin(), block.begin() + 40));
    EXPECT_TRUE(line.read(88, 1200).empty());
    const TestReply reply = line.command(cmd::kCaptureStatus);
    EXPECT_EQ(reply.code, cmd::kCaptureStatus);
    EXPECT_EQ(reply.status, CAMX_SE_NOT_INIT);
}

TEST_F(SerialEndpointTest, TheCameraIsOpenWhileTheTerminalIs) {
    SimulatorHarness harness(serialOptions(link()));
    ASSERT_TRUE(harness.started()) << harness.error();
    const std::string control = harness.simulator().controlPath();
    EXPECT_EQ(controlCommand(control, "state").substr(0, 9), "ok open=0");
    {
        SerialLine line(link());
        line.command(cmd::kInitCamera);
        EXPECT_EQ(controlCommand(control, "state").substr(0, 9), "ok open=1");
        EXPECT_EQ(controlCommand(control, "driver"), "error not a USB camera");
        EXPECT_EQ(controlCommand(control, "unplug"), "error only a USB camera can be unplugged");
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (controlCommand(control, "state").substr(0, 9) == "ok open=0") {
            SUCCEED();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FAIL() << "the camera still counts as open";
}

TEST_F(SerialEndpointTest, CurrentFirmwareWakesFromItsDozeOnTheWakeUpCommand) {
    SimOptions options = serialOptions(link());
    options.firmware = 0x40003;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    SerialLine line(link());
    ASSERT_EQ(controlCommand(harness.simulator().controlPath(), "doze"), "ok");
    EXPECT_EQ(line.command(cmd::kCaptureStatus).status, CAMX_DEV_BUSY);
    EXPECT_EQ(u32At(line.command(cmd::kWakeUp).results, 0), 1u);
    EXPECT_EQ(u32At(line.command(cmd::kWakeUp).results, 0), 0u);
    EXPECT_EQ(line.command(cmd::kInitCamera).status, CAMX_OK);
}

TEST_F(SerialEndpointTest, PacedOutputStillDeliversWholeTransfers) {
    SimOptions options = serialOptions(link());
    options.baud = 115200;
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    SerialLine line(link());
    line.write(commandBlock(cmd::kDeviceInfo, {}));
    const TestReply reply = parseReplyBlock(line.read(88));
    ASSERT_EQ(reply.status, CAMX_OK);
    EXPECT_EQ(line.read(u32At(reply.results, 0)).size(), u32At(reply.results, 0));
}

TEST_F(SerialEndpointTest, ANewCommandCancelsAnswersStillGoingOut) {
    SimOptions options = serialOptions(link());
    options.baud = 1200;  // the device information (183 bytes with its reply) takes 1.5 s
    SimulatorHarness harness(options);
    ASSERT_TRUE(harness.started()) << harness.error();
    SerialLine line(link());
    line.write(commandBlock(cmd::kDeviceInfo, {}));
    line.read(4, 500);  // the first bytes trickle in; the host gives up
    line.write(commandBlock(cmd::kProductId, {}));
    // What follows is the rest of the cut answer, if anything, then the whole new reply.
    std::vector<std::uint8_t> received;
    for (;;) {
        const std::vector<std::uint8_t> more = line.read(1, 8000);
        if (more.empty()) {
            break;
        }
        received.push_back(more[0]);
        if (received.size() >= 88 &&
            parseReplyBlock(std::vector<std::uint8_t>(received.end() - 88, received.end())).code ==
                cmd::kProductId) {
            break;
        }
    }
    ASSERT_GE(received.size(), 88u);
    EXPECT_LT(received.size(), 88u + 95 + 88 - 4);
    EXPECT_EQ(
        parseReplyBlock(std::vector<std::uint8_t>(received.end() - 88, received.end())).status,
        CAMX_OK);
}

}  // namespace
}  // namespace ocusim
