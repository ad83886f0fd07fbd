#pragma once

#include <cstdint>
#include <optional>

#include "simulator/CaptureSession.h"

namespace ocusim {

// Dozing of firmware 0x40000 and later. After `dozeMs` without activity (or when told to, by the
// device-state command or the control socket) the camera dozes. A dozing camera answers commands
// with CAMX_DEV_BUSY until it is woken: over USB by the wake-up poll (vendor request 224), which
// answers 1 ("waking") for `wakePolls` polls and 0 once awake; over a serial line by command
// 0x10AF, which answers 1 and wakes it (the host then waits 100 ms). Older firmware never dozes
// and answers every poll with 0. Deterministic: the same sequence of calls and times gives the
// same answers.
class PowerState {
public:
    PowerState(bool dozes, std::uint32_t dozeMs, std::uint32_t wakePolls);

    bool dozing(Clock::time_point now);
    // Something kept the camera busy (a command, a running capture, output on the line).
    void noteActivity(Clock::time_point now);
    // The wake-up poll: 0 awake, 1 still waking.
    std::uint32_t poll(Clock::time_point now);
    // The serial wake-up command: 1 when the camera was dozing (it is awake afterwards), else 0.
    std::uint32_t wakeCommand(Clock::time_point now);
    // Doze from `when` on (the device-state command's standby, or at once from the control socket).
    void dozeAt(Clock::time_point when);

    void setDozeMs(std::uint32_t ms) { dozeMs_ = ms; }
    void setWakePolls(std::uint32_t polls) { wakePolls_ = polls; }
    bool canDoze() const { return dozes_; }

private:
    bool dozes_;
    std::uint32_t dozeMs_;
    std::uint32_t wakePolls_;
    bool asleep_ = false;
    std::uint32_t pollsLeft_ = 0;
    Clock::time_point lastActivity_;
    std::optional<Clock::time_point> dozeAt_;
};

}  // namespace ocusim
