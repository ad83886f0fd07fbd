#pragma once

// How the camera is attached: by USB (found by scanning) or by a serial line (opened by its
// port's path at a baud rate, with or without CTS/RTS flow control). The service reads it from
// its configuration keys CAMERA_CONNECTION, CAMERA_SERIAL_PORT, CAMERA_BAUD_RATE and
// CAMERA_FLOW_CONTROL and hands it to the camera holder before it serves requests.

#include <cstdint>
#include <string>

namespace vantrel_camera {

struct CameraConnection {
    enum class Kind { Usb, Serial };

    static constexpr std::uint32_t kDefaultBaudRate = 115200;

    Kind kind = Kind::Usb;
    std::string serialPort;  // serial lines: the port's path, e.g. /dev/ttyUSB0
    std::uint32_t baudRate = kDefaultBaudRate;
    bool flowControl = false;
};

// The texts of the four configuration keys as written in the configuration file; an empty text
// stands for a key that is not there.
struct CameraConnectionText {
    std::string connection;   // "usb" (default) or "serial", in any case
    std::string serialPort;   // required for "serial"
    std::string baudRate;     // decimal, at least 56000 (default 115200)
    std::string flowControl;  // "0" (default) or "1"
};

// Checks and converts the keys' texts. On a bad value returns false and a message naming the
// key, the value and what it must be; `connection` is then unchanged.
bool parseCameraConnection(const CameraConnectionText& text, CameraConnection& connection,
                           std::string& message);

}  // namespace vantrel_camera
