#pragma once

#include <cstdint>
#include <vector>

#include "simulator/CameraDevice.h"
#include "simulator/DeviceProfile.h"

namespace ocusim {

// The USB driver's side of the control requests (platform/UsbWire.h): versions, time-out, pipe
// control and vendor requests. It answers them and keeps a record of what the host asked, which
// the control socket reports (the transport's recovery after a failed exchange shows up here as
// a 1 ms time-out followed by resets of pipes 0 and 1).
class DriverState {
public:
    enum class PipeAction { None, ResetInbound, ResetOutbound, ResetBoth };

    struct Answer {
        bool ok = false;
        std::vector<std::uint8_t> output;
        PipeAction action = PipeAction::None;
    };

    // What the host has asked so far.
    struct Record {
        std::uint64_t requests = 0;
        std::uint64_t timeoutsSet = 0;
        std::uint32_t lastTimeout = 0;
        std::uint64_t pipeControls[4] = {0, 0, 0, 0};  // selectors 0-3, any value
        std::uint64_t pipeResets = 0;          // selector 0 or 1 with value 3, or selector 4
        std::uint64_t wakePolls = 0;           // vendor request 224
        std::uint64_t secondVersionReads = 0;  // vendor request 225
        std::uint64_t driverCommands = 0;
    };

    DriverState(const DeviceProfile& profile, CameraDevice& camera)
        : profile_(profile), camera_(camera) {}

    // `capacity` is the output size the host allows; a request needing more fails.
    Answer handle(std::uint32_t code, std::uint32_t capacity, const std::uint8_t* input,
                  std::size_t inputSize, Clock::time_point now);

    const Record& record() const { return record_; }

    static constexpr std::uint8_t kWakeUpPoll = 224;
    static constexpr std::uint8_t kSecondVersion = 225;

private:
    DeviceProfile profile_;
    CameraDevice& camera_;
    Record record_;
};

}  // namespace ocusim
