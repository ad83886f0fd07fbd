#include "platform/UsbDeviceDirectory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/UsbWire.h"

namespace platform {

std::string defaultDeviceDirectory() {
    const char* configured = std::getenv("OCUSERVICE_DEVICE_DIR");
    if (configured != nullptr && configured[0] != '\0') {
        return configured;
    }
    if (geteuid() == 0) {
        return "/run/ocuservice/devices";
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        return std::string(runtime) + "/ocuservice/devices";
    }
    return "/tmp/ocuservice-" + std::to_string(geteuid()) + "/devices";
}

std::string deviceInterfaceName(std::uint16_t vendorId, std::uint16_t productId,
                                const std::string& serialNumber) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "usb#vid_%04x&pid_%04x#", static_cast<unsigned>(vendorId),
                  static_cast<unsigned>(productId));
    return std::string(ids) + serialNumber + "#" + usbwire::kInterfaceClassGuid;
}

EnumerationResult listDeviceInterfaces(const std::string& directory,
                                       std::vector<std::string>& paths) {
    paths.clear();
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return (errno == ENOENT || errno == ENOTDIR) ? EnumerationResult::Ok
                                                     : EnumerationResult::Failed;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.find(usbwire::kInterfaceClassGuid) == std::string::npos) {
            continue;
        }
        struct stat info {};
        const std::string path = directory + "/" + name;
        if (stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
            names.push_back(name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        paths.push_back(directory + "/" + name);
    }
    return EnumerationResult::Ok;
}

}  // namespace platform
