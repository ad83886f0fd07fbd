#include "camera/CameraConnection.h"

#include <gtest/gtest.h>

namespace {

using vantrel_camera::CameraConnection;
using vantrel_camera::CameraConnectionText;
using vantrel_camera::parseCameraConnection;

TEST(CameraConnectionText, AbsentKeysMeanUsb) {
    CameraConnection connection;
    connection.kind = CameraConnection::Kind::Serial;
    std::string message;
    ASSERT_TRUE(parseCameraConnection(CameraConnectionText(), connection, message));
    EXPECT_EQ(connection.kind, CameraConnection::Kind::Usb);
    EXPECT_EQ(connection.baudRate, 115200u);
    EXPECT_FALSE(connection.flowControl);
    EXPECT_TRUE(message.empty());
}

TEST(CameraConnectionText, SerialLineWithItsSettings) {
    CameraConnectionText text;
    text.connection = "Serial";
    text.serialPort = "/dev/ttyUSB0";
    text.baudRate = "921600";
    text.flowControl = "1";
    CameraConnection connection;
    std::string message;
    ASSERT_TRUE(parseCameraConnection(text, connection, message)) << message;
    EXPECT_EQ(connection.kind, CameraConnection::Kind::Serial);
    EXPECT_EQ(connection.serialPort, "/dev/ttyUSB0");
    EXPECT_EQ(connection.baudRate, 921600u);
    EXPECT_TRUE(connection.flowControl);
}

TEST(CameraConnectionText, BadValuesAreNamedInTheMessage) {
    struct Case {
        CameraConnectionText text;
        const char* message;
    };
    const Case cases[] = {
        {{"firewire", "", "", ""},
         "CAMERA_CONNECTION must be \"usb\" or \"serial\", not "
         "\"firewire\"."},
        {{"serial", "", "", ""},
         "CAMERA_SERIAL_PORT must name the serial port when CAMERA_CONNECTION is \"serial\"."},
        {{"serial", "/dev/ttyS0", "9600", ""},
         "CAMERA_BAUD_RATE must be a whole number of bits per second, at least 56000, not "
         "\"9600\"."},
        {{"usb", "", "fast", ""},
         "CAMERA_BAUD_RATE must be a whole number of bits per second, at least 56000, not "
         "\"fast\"."},
        {{"serial", "/dev/ttyS0", "99999999999", ""},
         "CAMERA_BAUD_RATE must be a whole number of bits per second, at least 56000, not "
         "\"99999999999\"."},
        {{"serial", "/dev/ttyS0", "-115200", ""},
         "CAMERA_BAUD_RATE must be a whole number of bits per second, at least 56000, not "
         "\"-115200\"."},
        {{"serial", "/dev/ttyS0", "", "yes"}, "CAMERA_FLOW_CONTROL must be 0 or 1, not \"yes\"."},
        {{"", "", "", "2"}, "CAMERA_FLOW_CONTROL must be 0 or 1, not \"2\"."},
    };
    for (const Case& c : cases) {
        CameraConnection connection;
        connection.serialPort = "unchanged";
        std::string message;
        EXPECT_FALSE(parseCameraConnection(c.text, connection, message)) << c.message;
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(connection.serialPort, "unchanged");
    }
}

}  // namespace
