#pragma once

// The camera over a serial line (the platform's SerialPort): raw 8N1 at the configured baud
// rate, optional CTS/RTS flow control, a read time-out whose constant part each command sets,
// and a monitor thread watching the modem lines while the port is open.
//
// There is no drain-and-reset recovery on serial lines: the protocol discards pending input
// before every command instead. A terminal's queues belong to the kernel, so the camera's
// 0xAB000-byte queue sizes have nothing to set; line events are watched by sampling the
// modem lines (platform::LineEventMonitor) rather than through an event mask.

#include <cstdint>

#include "platform/SerialPort.h"
#include "sdk/CCommObj.h"

namespace sdk {

class CCommUART : public CCommObj {
public:
    static constexpr std::uint32_t kDefaultBaudRate = 115200;
    // Line events the port reports: transmit-empty, CTS, DSR, RLSD, break, error and ring.
    static constexpr std::uint32_t kEventMask = 0x1FC;
    // How long open waits for the monitor thread to report that it runs.
    static constexpr std::uint32_t kMonitorStartWaitMs = 2000;

    CCommUART() = default;
    ~CCommUART() override = default;

    bool initialise() override;
    void release() override;
    CamxStatus open(const char* path, const std::uint32_t* baudRate) override;
    CamxStatus write(const void* bytes, std::uint32_t count) override;
    CamxStatus read(void* buffer, std::uint32_t count) override;
    void discardInput() override;
    CamxStatus driverCommand() override;
    bool setTimeout(std::uint32_t milliseconds) override;
    CamxStatus pipeControl(std::uint32_t selector, std::uint32_t value, DataBuffer* drain) override;
    bool isOpen() const override { return port_.isOpen(); }

    // CTS/RTS flow control for the next open (the SDK configuration's setting).
    void setFlowControl(bool enabled) { flowControl_ = enabled; }
    std::uint32_t baudRate() const { return baudRate_; }
    std::uint32_t eventMask() const { return kEventMask; }
    const platform::SerialPort& port() const { return port_; }

protected:
    void closeHandle() override;

private:
    std::uint32_t baudRate_ = kDefaultBaudRate;
    bool flowControl_ = false;
    platform::SerialPort port_;
};

}  // namespace sdk
