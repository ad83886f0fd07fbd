#pragma once

// Base class of the camera transports: carries 88-byte command and reply blocks and the bulk
// data between them. `CCommUSB` talks to the camera's USB driver, `CCommUART` to a serial port.
// The virtual operations keep the order of the transport's slot table.
//
// Not thread-safe: the SDK device's lock serialises every use of a transport.

#include <cstddef>
#include <cstdint>
#include <string>

#include "sdk/DataBuffer.h"
#include "sdk/SdkStatus.h"

namespace sdk {

class CCommObj {
public:
    static constexpr std::uint32_t kBlockSize = 88;
    // Longest device path kept, terminator excluded.
    static constexpr std::size_t kMaxPathLength = 259;

    CCommObj() = default;
    // Each transport closes its own handle when destroyed.
    virtual ~CCommObj() = default;
    CCommObj(const CCommObj&) = delete;
    CCommObj& operator=(const CCommObj&) = delete;

    virtual bool initialise() = 0;
    virtual void release() = 0;
    // Opens the device at `path`; `baudRate` (or null for the default) matters to serial lines.
    virtual CamxStatus open(const char* path, const std::uint32_t* baudRate) = 0;
    // 4 when not open; else closes the handle and clears the path.
    virtual CamxStatus close();
    virtual CamxStatus write(const void* bytes, std::uint32_t count) = 0;
    virtual CamxStatus read(void* buffer, std::uint32_t count) = 0;
    // Drops input received and not read; nothing by default.
    virtual void discardInput();
    virtual CamxStatus driverCommand() = 0;
    // Sets the time-out of the following transfers; 0 is the transport's default.
    virtual bool setTimeout(std::uint32_t milliseconds) = 0;
    virtual CamxStatus pipeControl(std::uint32_t selector, std::uint32_t value,
                                   DataBuffer* drain) = 0;
    // A USB vendor request; 20 (unsupported) by default.
    virtual CamxStatus vendorRequest(bool directionIn, std::uint8_t request, std::uint32_t* answer);
    // The camera's firmware version as its driver reports it; 20 (unsupported) on links that
    // ask the camera itself with a command.
    virtual CamxStatus firmwareVersion(std::uint32_t* first, std::uint32_t* second);

    virtual bool isOpen() const = 0;
    // The path the transport was opened on; empty when closed.
    const std::string& path() const { return path_; }
    std::uint32_t blockSize() const { return kBlockSize; }
    std::uint32_t timeout() const { return timeout_; }
    // Status of the last block exchange, written by the transfers and by the reply check.
    CamxStatus lastStatus() const { return lastStatus_; }
    void setLastStatus(CamxStatus status) { lastStatus_ = status; }

protected:
    virtual void closeHandle() = 0;

    std::string path_;
    std::uint32_t timeout_ = 0;
    CamxStatus lastStatus_ = CAMX_OK;
};

}  // namespace sdk
