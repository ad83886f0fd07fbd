#pragma once

#include <cstdint>
#include <string>

namespace ocusim {

// The directory where USB cameras are published, as the service looks for them:
// OCUSERVICE_DEVICE_DIR when set, else /run/ocuservice/devices for root, else
// $XDG_RUNTIME_DIR/ocuservice/devices, else /tmp/ocuservice-<uid>/devices.
std::string defaultDeviceDirectory();

// "usb#vid_xxxx&pid_yyyy#<serial>#<interface class guid>", hexadecimal in lower case.
std::string usbSocketName(std::uint16_t vendorId, std::uint16_t productId,
                          const std::string& serialNumber);

// Creates the directory and its parents (mode 0755) when missing.
bool makeDirectories(const std::string& path, std::string& error);

// Makes `path` free for a new Unix socket: a socket left behind by a simulator that died is
// removed; a live one (something accepts connections on it) or any other kind of file is an
// error.
bool claimSocketPath(const std::string& path, std::string& error);

// Binds and listens on a Unix socket of the given type at `path`; -1 with `error` on failure.
int listenUnix(const std::string& path, int type, std::string& error);

}  // namespace ocusim
