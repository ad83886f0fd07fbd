#include "camera/CameraConnection.h"

#include <cctype>

#include "sdk/SdkConfig.h"

namespace vantrel_camera {

namespace {

std::string lowerCase(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// Decimal digits only, within 32 bits.
bool parseDecimal(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    std::uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > 0xFFFFFFFFull) {
        return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace

bool parseCameraConnection(const CameraConnectionText& text, CameraConnection& connection,
                           std::string& message) {
    CameraConnection parsed;
    const std::string kind = lowerCase(text.connection);
    if (kind == "serial") {
        parsed.kind = CameraConnection::Kind::Serial;
    } else if (!kind.empty() && kind != "usb") {
        message =
            "CAMERA_CONNECTION must be \"usb\" or \"serial\", not \"" + text.connection + "\".";
        return false;
    }
    if (!text.baudRate.empty() && (!parseDecimal(text.baudRate, parsed.baudRate) ||
                                   parsed.baudRate < sdk::kMinSerialBaudRate)) {
        message = "CAMERA_BAUD_RATE must be a whole number of bits per second, at least " +
                  std::to_string(sdk::kMinSerialBaudRate) + ", not \"" + text.baudRate + "\".";
        return false;
    }
    if (text.flowControl == "1") {
        parsed.flowControl = true;
    } else if (!text.flowControl.empty() && text.flowControl != "0") {
        message = "CAMERA_FLOW_CONTROL must be 0 or 1, not \"" + text.flowControl + "\".";
        return false;
    }
    parsed.serialPort = text.serialPort;
    if (parsed.kind == CameraConnection::Kind::Serial && parsed.serialPort.empty()) {
        message =
            "CAMERA_SERIAL_PORT must name the serial port when CAMERA_CONNECTION is "
            "\"serial\".";
        return false;
    }
    connection = parsed;
    return true;
}

}  // namespace vantrel_camera
