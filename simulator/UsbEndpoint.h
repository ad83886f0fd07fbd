#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "simulator/DeviceSession.h"
#include "simulator/DriverState.h"
#include "simulator/PollList.h"

namespace ocusim {

// The USB camera as the host's driver stand-in sees it: a SOCK_SEQPACKET socket in the device
// directory, one connection per open handle, packets framed as platform/UsbWire.h describes.
// Bulk transfers go to the device session; control requests to the driver state, answered at
// once even while bulk replies wait for their time. While one host holds the camera, further
// connections get a Hello with accepted = 0 and are closed. Everything it publishes is removed
// when it is destroyed. Single-threaded.
class UsbEndpoint {
public:
    UsbEndpoint(std::string socketPath, DeviceSession& session, DriverState& driver,
                CameraDevice& camera);
    ~UsbEndpoint();
    UsbEndpoint(const UsbEndpoint&) = delete;
    UsbEndpoint& operator=(const UsbEndpoint&) = delete;

    bool open(std::string& error);
    // Adds the sockets to wait for; lowers `wake` to the time the next queued packet is due.
    void collect(PollList& list, Clock::time_point now, Clock::time_point& wake);
    // Sends what is due.
    void flush(Clock::time_point now);

    bool hostAttached() const { return host_ >= 0; }
    const std::string& path() const { return path_; }
    // Drops the host's connection, as if the camera were unplugged and plugged in again.
    void disconnectHost(Clock::time_point now);

private:
    struct Packet {
        std::vector<std::uint8_t> bytes;
        Clock::time_point notBefore;
    };

    void accept(Clock::time_point now);
    void receive(Clock::time_point now);
    void handlePacket(const std::uint8_t* packet, std::size_t size, Clock::time_point now);
    void queueTransfer(const Outbound& transfer);
    bool sendQueue(std::deque<Packet>& queue, Clock::time_point now);

    std::string path_;
    DeviceSession& session_;
    DriverState& driver_;
    CameraDevice& camera_;
    int listener_ = -1;
    int host_ = -1;
    std::vector<std::uint8_t> inbound_;  // the bulk transfer being received
    bool inboundOverflow_ = false;       // the transfer grew past any command's size: dropped
    std::deque<Packet> controlReplies_;  // sent before any bulk packet
    std::deque<Packet> bulk_;
};

}  // namespace ocusim
