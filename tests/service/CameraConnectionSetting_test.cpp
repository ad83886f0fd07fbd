// The camera connection keys of config.ini: read with the other settings, checked at start-up,
// handed to the camera holder before the web server starts.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "CapturedOutput.h"
#include "ServiceHomeFixture.h"
#include "camera/CameraHolder.h"
#include "service/RunService.h"
#include "service/ServiceConfiguration.h"
#include "service/StopFlag.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

using testing::CapturedOutput;
using testsupport::TempDir;
using vantrel_camera::CameraConnection;
using vantrel_camera::CameraHolder;

// A loopback port held open, so that the service's start-up fails right after the camera
// settings were handed over.
class TakenPort {
public:
    TakenPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(fd_, 1) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~TakenPort() { ::close(fd_); }
    TakenPort(const TakenPort&) = delete;
    TakenPort& operator=(const TakenPort&) = delete;

    int port() const { return port_; }

private:
    int fd_;
    int port_ = 0;
};

TEST(CameraConnectionSettingTest, KeysAreReadWithTheOtherSettings) {
    TempDir home;
    home.write("config.ini",
               "CAMERA_CONNECTION = serial\n"
               "CAMERA_SERIAL_PORT = \"/dev/ttyUSB0\"\n"
               "CAMERA_BAUD_RATE = 921600\n"
               "CAMERA_FLOW_CONTROL = 1\n");
    ServiceConfiguration configuration;
    std::string problem;
    ASSERT_TRUE(configuration.load(home.path().c_str(), problem));
    EXPECT_EQ(configuration.camera.connection, "serial");
    EXPECT_EQ(configuration.camera.serialPort, "/dev/ttyUSB0");
    EXPECT_EQ(configuration.camera.baudRate, "921600");
    EXPECT_EQ(configuration.camera.flowControl, "1");
}

TEST(CameraConnectionSettingTest, MissingKeysOrFileMeanAUsbCamera) {
    TempDir home;
    ServiceConfiguration withoutFile;
    std::string problem;
    ASSERT_TRUE(withoutFile.load(home.path().c_str(), problem));
    EXPECT_TRUE(withoutFile.camera.connection.empty());
    home.write("config.ini", "SERVER_PORTS = 9000\n");
    ServiceConfiguration withoutKeys;
    ASSERT_TRUE(withoutKeys.load(home.path().c_str(), problem));
    CameraConnection connection;
    ASSERT_TRUE(vantrel_camera::parseCameraConnection(withoutKeys.camera, connection, problem));
    EXPECT_EQ(connection.kind, CameraConnection::Kind::Usb);
}

class CameraConnectionStartTest : public testing::ServiceHomeFixture {};

TEST_F(CameraConnectionStartTest, BadValueStopsTheStartWithItsMessage) {
    home.write("config.ini",
               "CAMERA_CONNECTION = serial\n"
               "CAMERA_SERIAL_PORT = /dev/ttyS0\n"
               "CAMERA_BAUD_RATE = 9600\n");
    CapturedOutput out;
    EXPECT_EQ(runService(out.file), 1);
    EXPECT_EQ(out.text(),
              "CAMERA_BAUD_RATE must be a whole number of bits per second, at least 56000, not "
              "\"9600\".\n");

    home.write("config.ini", "CAMERA_CONNECTION = bluetooth\n");
    CapturedOutput second;
    EXPECT_EQ(runService(second.file), 1);
    EXPECT_EQ(second.text(),
              "CAMERA_CONNECTION must be \"usb\" or \"serial\", not \"bluetooth\".\n");
    EXPECT_EQ(CameraHolder::instance().connection().kind, CameraConnection::Kind::Usb);
}

TEST_F(CameraConnectionStartTest, SerialSettingsReachTheCameraHolderBeforeTheServerStarts) {
    TakenPort taken;
    ASSERT_NE(taken.port(), 0);
    home.write("config.ini", "SERVER_PORTS = 127.0.0.1:" + std::to_string(taken.port()) +
                                 "\n"
                                 "CAMERA_CONNECTION = serial\n"
                                 "CAMERA_SERIAL_PORT = /dev/ttyACM3\n"
                                 "CAMERA_BAUD_RATE = 230400\n"
                                 "CAMERA_FLOW_CONTROL = 1\n");
    CapturedOutput out;
    EXPECT_EQ(runService(out.file), 1);  // the port is taken: the server does not start
    const CameraConnection& connection = CameraHolder::instance().connection();
    EXPECT_EQ(connection.kind, CameraConnection::Kind::Serial);
    EXPECT_EQ(connection.serialPort, "/dev/ttyACM3");
    EXPECT_EQ(connection.baudRate, 230400u);
    EXPECT_TRUE(connection.flowControl);
}

}  // namespace
}  // namespace lensws
