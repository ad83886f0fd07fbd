#include "sdk/CCommUART.h"

#include <cstring>

namespace sdk {

bool CCommUART::initialise() {
    baudRate_ = kDefaultBaudRate;
    return true;
}

// The port and its monitor are released by close() and by the destructor.
void CCommUART::release() {}

CamxStatus CCommUART::open(const char* path, const std::uint32_t* baudRate) {
    baudRate_ = baudRate != nullptr ? *baudRate : kDefaultBaudRate;
    if (isOpen()) {
        close();
    }
    if (path == nullptr || std::strlen(path) > kMaxPathLength) {
        return CAMX_DEVICE_NOT_FOUND;
    }
    switch (port_.open(path)) {
        case platform::SerialOpenResult::Ok:
            break;
        case platform::SerialOpenResult::NotFound:
            return CAMX_DEVICE_NOT_FOUND;
        case platform::SerialOpenResult::AccessDenied:
            return CAMX_DEVICE_ACCESS_DENIED;
        case platform::SerialOpenResult::Failed:
            return CAMX_DEVICE_OPEN_FAILED;
    }
    if (!port_.configure(baudRate_, flowControl_)) {
        port_.close();
        return CAMX_DEVICE_OPEN_FAILED;
    }
    // The modem status is read once at open; a port without modem lines has none to give.
    int modemBits = 0;
    port_.modemStatus(&modemBits);
    if (!port_.startMonitor(kMonitorStartWaitMs)) {
        port_.close();
        return CAMX_DEVICE_OPEN_FAILED;
    }
    path_ = path;
    timeout_ = 0;
    lastStatus_ = CAMX_OK;
    return CAMX_OK;
}

void CCommUART::closeHandle() {
    port_.close();  // stops the monitor thread first
}

// Bytes written to a terminal are queued to its driver and go out in order, so no flush is
// needed before reading the reply; waiting for the line to drain could block without limit
// on a line held by flow control.
CamxStatus CCommUART::write(const void* bytes, std::uint32_t count) {
    std::size_t written = 0;
    if (port_.write(bytes, count, &written) != platform::SerialIoResult::Ok) {
        lastStatus_ = CAMX_DEVICE_IO_FAILED;
    } else {
        lastStatus_ = written < count ? CAMX_DEVICE_IO_DATA_INVALID : CAMX_OK;
    }
    return lastStatus_;
}

CamxStatus CCommUART::read(void* buffer, std::uint32_t count) {
    std::size_t received = 0;
    if (port_.read(buffer, count, &received) != platform::SerialIoResult::Ok) {
        lastStatus_ = CAMX_DEVICE_IO_FAILED;
    } else if (received == 0 && count > 0) {
        lastStatus_ = CAMX_DEVICE_IO_TIMEOUT;
    } else {
        lastStatus_ = received < count ? CAMX_DEVICE_IO_DATA_INVALID : CAMX_OK;
    }
    return lastStatus_;
}

void CCommUART::discardInput() {
    port_.discardInput();
}

CamxStatus CCommUART::driverCommand() {
    return CAMX_UNSUPPORTED_COMMAND;
}

bool CCommUART::setTimeout(std::uint32_t milliseconds) {
    timeout_ = milliseconds;
    port_.setReadTimeoutConstant(milliseconds == 0 ? platform::SerialPort::kDefaultReadConstantMs
                                                   : milliseconds);
    return isOpen();
}

CamxStatus CCommUART::pipeControl(std::uint32_t, std::uint32_t, DataBuffer*) {
    return CAMX_OK;
}

}  // namespace sdk
