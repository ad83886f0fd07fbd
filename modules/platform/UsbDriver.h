#pragma once

// Host side of the camera's USB driver. A camera publishes itself as a SOCK_SEQPACKET socket in
// the device directory; the framing of the packets is in UsbWire.h.
//
// Time-outs: bulk transfers wait at most the driver time-out, which the owner sets with the
// control request usbwire::kIoctlSetTimeout (forwarded to the device, then applied here). A
// time-out of 0 means the driver default, kDefaultTimeoutMs. Control requests are answered by
// the driver itself and wait kControlTimeoutMs whatever the bulk time-out is, so a 1 ms bulk
// time-out cannot make the request that restores it fail.
//
// Not thread-safe: the owner serialises every call (the SDK device's lock).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace platform {

enum class UsbOpenResult { Ok, AccessDenied, NotFound, Failed };
enum class UsbIoResult { Ok, TimedOut, Failed };

class UsbDriver {
public:
    static constexpr std::uint32_t kDefaultTimeoutMs = 5000;
    static constexpr std::uint32_t kControlTimeoutMs = 5000;

    UsbDriver();
    ~UsbDriver();
    UsbDriver(const UsbDriver&) = delete;
    UsbDriver& operator=(const UsbDriver&) = delete;

    // Connects to the device socket at `path` and waits for its greeting. AccessDenied when
    // another host holds the device or the socket may not be opened; NotFound when nothing is
    // at `path`. Closes a connection opened before.
    UsbOpenResult open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // One bulk transfer to the device. `written` is the number of bytes handed to the device.
    UsbIoResult write(const void* bytes, std::size_t count, std::size_t* written);

    // One bulk transfer from the device: completes when `count` bytes arrived or the device's
    // transfer ended (a short transfer, possibly of 0 bytes). Bytes of a transfer beyond
    // `count` stay for the next read. On TimedOut, `received` bytes were consumed.
    UsbIoResult read(void* buffer, std::size_t count, std::size_t* received);

    // A driver control request. On Ok, `outputSize` holds the number of output bytes stored
    // (at most `outputCapacity`). A request the device refuses is Failed.
    UsbIoResult control(std::uint32_t code, const void* input, std::size_t inputSize, void* output,
                        std::size_t outputCapacity, std::size_t* outputSize);

    // The bulk time-out in force, 0 for the default.
    std::uint32_t timeoutMs() const { return timeoutMs_; }

private:
    struct Segment {
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0;
        bool endOfTransfer = false;
    };

    // Waits until the socket is readable or `deadlineMs` (monotonic) passes, then receives one
    // packet into packet_. Bulk packets are queued in inbound_; a ControlReply is left in
    // packet_ for the caller (`isControlReply` set).
    UsbIoResult receivePacket(std::int64_t deadlineMs, bool* isControlReply);
    UsbIoResult sendPacket(const std::uint8_t* bytes, std::size_t size, std::int64_t deadlineMs);
    std::int64_t bulkDeadline() const;

    int fd_;
    std::uint32_t timeoutMs_;
    std::deque<Segment> inbound_;       // bulk bytes received but not yet read
    std::vector<std::uint8_t> packet_;  // receive buffer, kMaxPacket bytes
    std::size_t packetSize_;            // bytes of the last packet in packet_
};

}  // namespace platform
