#include "simulator/DeviceDirectory.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/UsbWire.h"

namespace ocusim {

namespace {

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

std::string defaultDeviceDirectory() {
    const char* configured = std::getenv("OCUSERVICE_DEVICE_DIR");
    if (configured != nullptr && *configured != '\0') {
        return configured;
    }
    if (::geteuid() == 0) {
        return "/run/ocuservice/devices";
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/ocuservice/devices";
    }
    return "/tmp/ocuservice-" + std::to_string(::geteuid()) + "/devices";
}

std::string usbSocketName(std::uint16_t vendorId, std::uint16_t productId,
                          const std::string& serialNumber) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vendorId, productId);
    return std::string("usb#") + ids + "#" + serialNumber + "#" +
           platform::usbwire::kInterfaceClassGuid;
}

bool makeDirectories(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "empty directory name";
        return false;
    }
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = path + " is not a directory";
        return false;
    }
    return true;
}

bool claimSocketPath(const std::string& path, std::string& error) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        return true;
    }
    if (!S_ISSOCK(info.st_mode)) {
        error = path + " exists and is not a socket";
        return false;
    }
    sockaddr_un address;
    if (!fillAddress(path, address)) {
        error = "socket path too long: " + path;
        return false;
    }
    for (int type : {SOCK_SEQPACKET, SOCK_STREAM}) {
        const int probe = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
        if (probe < 0) {
            continue;
        }
        const int connected =
            ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        const int reason = errno;
        ::close(probe);
        if (connected == 0) {
            error = "another process serves " + path;
            return false;
        }
        if (reason != ECONNREFUSED && reason != EPROTOTYPE) {
            error = "cannot check " + path + ": " + std::strerror(reason);
            return false;
        }
    }
    ::unlink(path.c_str());
    return true;
}

int listenUnix(const std::string& path, int type, std::string& error) {
    sockaddr_un address;
    if (!fillAddress(path, address)) {
        error = "socket path too long (at most " + std::to_string(sizeof address.sun_path - 1) +
                " characters): " + path;
        return -1;
    }
    if (!claimSocketPath(path, error)) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace ocusim
