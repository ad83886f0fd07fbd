#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "simulator/DeviceSession.h"
#include "simulator/PollList.h"

namespace ocusim {

// The serial camera: the same blocks as over USB, on a pseudo-terminal whose slave side is
// reachable through a symbolic link. The line is raw (8N1 as far as a pty has such a thing).
// Output leaves at the pace of the baud rate, ten bits per byte, unless pacing is off. Input is
// cut into blocks and data phases by what the session expects; bytes before a block's magic are
// line noise and skipped, and a block or data phase left incomplete for a second is dropped, as
// a UART's receive time-out would. A new command block cancels answers still going out (the host
// only sends one when it stopped waiting for them). While no one has the terminal open (the master
// reports a hang-up) the camera counts as closed. The link and the pty are removed when it is
// destroyed. Single-threaded.
class SerialEndpoint {
public:
    SerialEndpoint(std::string linkPath, std::uint32_t baud, bool pacing, DeviceSession& session,
                   CameraDevice& camera);
    ~SerialEndpoint();
    SerialEndpoint(const SerialEndpoint&) = delete;
    SerialEndpoint& operator=(const SerialEndpoint&) = delete;

    bool open(std::string& error);
    void collect(PollList& list, Clock::time_point now, Clock::time_point& wake);
    // Sends what is due and allowed by the baud rate; notices the host opening or closing.
    void flush(Clock::time_point now);

    bool hostAttached() const { return hostOpen_; }
    const std::string& terminalPath() const { return terminal_; }

private:
    void receive(Clock::time_point now);
    void parse(Clock::time_point now);
    void checkHost(Clock::time_point now);
    std::size_t allowance(Clock::time_point now) const;

    std::string link_;
    std::uint32_t baud_;
    bool pacing_;
    DeviceSession& session_;
    CameraDevice& camera_;
    int master_ = -1;
    bool linked_ = false;
    std::string terminal_;
    bool hostOpen_ = false;
    std::vector<std::uint8_t> input_;
    Clock::time_point lastInput_;
    std::deque<Outbound> output_;
    std::size_t outputOffset_ = 0;  // bytes of output_.front() already written
    // Pacing: bytes written since `paceStart_`, when the line last became busy.
    Clock::time_point paceStart_;
    std::uint64_t pacedBytes_ = 0;
};

}  // namespace ocusim
