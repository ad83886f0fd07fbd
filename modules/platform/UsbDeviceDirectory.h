#pragma once

// Enumeration of USB cameras: every camera publishes itself as a socket in the device directory
// (see UsbWire.h). Listing that directory stands in for asking the platform for all present
// device interfaces of the camera driver's interface class.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The device directory: OCUSERVICE_DEVICE_DIR when set and not empty, else
// /run/ocuservice/devices for root, else $XDG_RUNTIME_DIR/ocuservice/devices, else
// /tmp/ocuservice-<uid>/devices.
std::string defaultDeviceDirectory();

// Socket name of a camera: "usb#vid_XXXX&pid_YYYY#<serial>#<class guid>" (lower-case hex).
std::string deviceInterfaceName(std::uint16_t vendorId, std::uint16_t productId,
                                const std::string& serialNumber);

enum class EnumerationResult { Ok, Failed };

// Fills `paths` with "<directory>/<name>" for every socket in `directory` whose name carries
// the camera driver's interface class, sorted by name so that the order is stable. A directory
// that does not exist holds no devices (Ok, empty list); one that cannot be read is Failed.
EnumerationResult listDeviceInterfaces(const std::string& directory,
                                       std::vector<std::string>& paths);

}  // namespace platform
