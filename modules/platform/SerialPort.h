#pragma once

// A serial port through termios: raw 8N1 at a given baud rate, optional CTS/RTS flow control,
// read and write time-outs in the manner of a total time-out (a constant plus a multiplier per
// byte) with an interval time-out between bytes, and a line-event monitor thread.
//
// Not thread-safe: the owner serialises every call; the monitor thread only reads the modem
// status of the open descriptor, which stays valid until close() has stopped it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/LineEventMonitor.h"

namespace platform {

enum class SerialOpenResult { Ok, NotFound, AccessDenied, Failed };
enum class SerialIoResult { Ok, Failed };

class SerialPort {
public:
    static constexpr std::uint32_t kReadIntervalMs = 0xFFFF;
    static constexpr std::uint32_t kReadMultiplierMs = 3;
    static constexpr std::uint32_t kDefaultReadConstantMs = 3000;
    static constexpr std::uint32_t kWriteMultiplierMs = 1;
    static constexpr std::uint32_t kWriteConstantMs = 2000;

    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the terminal at `path` for reading and writing, for this process alone (another
    // process holding it gives AccessDenied). Closes a port opened before.
    SerialOpenResult open(const std::string& path);
    // Raw mode, 8 data bits, no parity, one stop bit, receiver on, modem control lines ignored
    // unless `hardwareFlowControl` (then CTS/RTS handshaking with RTS raised). Resets the read
    // constant to kDefaultReadConstantMs. False when the terminal refuses a setting.
    bool configure(std::uint32_t baudRate, bool hardwareFlowControl);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // The monitor of the modem lines; started by the owner after configure().
    bool startMonitor(std::uint32_t startedWaitMs);
    const LineEventMonitor* monitor() const { return monitor_.get(); }

    // Replaces the constant part of the read time-out.
    void setReadTimeoutConstant(std::uint32_t milliseconds) { readConstantMs_ = milliseconds; }
    std::uint32_t readTimeoutConstant() const { return readConstantMs_; }

    // Drops what was received and not yet read.
    bool discardInput();

    // Writes until all bytes are out or the write time-out passes; `written` tells how many
    // went out. Failed only for an error of the port.
    SerialIoResult write(const void* bytes, std::size_t count, std::size_t* written);
    // Reads until `count` bytes arrived or the read time-out passes; `received` tells how many
    // arrived. Failed only for an error of the port (a hang-up among them).
    SerialIoResult read(void* buffer, std::size_t count, std::size_t* received);

    // The modem-status bits (TIOCM_*); false on ports without modem lines.
    bool modemStatus(int* bits) const;

private:
    int fd_;
    std::uint32_t readConstantMs_;
    std::unique_ptr<LineEventMonitor> monitor_;
};

}  // namespace platform
