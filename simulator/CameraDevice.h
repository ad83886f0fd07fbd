#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "simulator/Block.h"
#include "simulator/CameraState.h"
#include "simulator/CommandGroup.h"

namespace ocusim {

// The camera behind the link: it takes command blocks (and the data phases some of them
// announce) and answers them from its state. The command groups do the work; this class applies
// what holds for every command: a dozing camera answers CAMX_DEV_BUSY, capture and result
// commands need an initialised camera (CAMX_SE_NOT_INIT), unknown codes answer
// CAMX_DEV_PROC_NOT_FOUND, and a failure armed from the control socket answers the next command
// of its code instead (for a command with a data phase, in the reply after the data).
// Single-threaded: the simulator's event loop is its only user.
class CameraDevice {
public:
    CameraDevice(const DeviceProfile& profile, const SceneControl& scene, FrameGenerator& generator,
                 Gallery& gallery, std::uint32_t dozeMs, std::uint32_t wakePolls);
    ~CameraDevice();
    CameraDevice(const CameraDevice&) = delete;
    CameraDevice& operator=(const CameraDevice&) = delete;

    // First step of a command; see CommandOutcome.
    CommandOutcome begin(const CommandBlock& block, Clock::time_point now);
    // The data phase a command asked for has arrived.
    CommandOutcome finish(const CommandBlock& block, const std::vector<std::uint8_t>& data,
                          Clock::time_point now);

    // The driver's wake-up poll (USB vendor request 224): 0 awake, 1 waking.
    std::uint32_t wakePoll(Clock::time_point now);
    // The line kept the camera busy (output still going out).
    void noteActivity(Clock::time_point now);
    // The host closed the device: a running capture has nobody to deliver to and stops.
    void hostDetached(Clock::time_point now);

    // The next command with `code` is answered with `status`, once.
    void armFailure(std::uint16_t code, std::uint16_t status) { failures_[code] = status; }

    CameraState& state() { return state_; }
    const CameraState& state() const { return state_; }

private:
    CommandGroup* groupFor(std::uint16_t code) const;

    CameraState state_;
    std::vector<std::unique_ptr<CommandGroup>> groups_;
    std::map<std::uint16_t, std::uint16_t> failures_;  // armed failures by command code
    // A failure to answer after the data phase of the command in progress.
    bool failAfterData_ = false;
    std::uint16_t failAfterDataStatus_ = 0;
};

}  // namespace ocusim
