#include "simulator/DriverState.h"

#include "platform/UsbWire.h"
#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"

namespace ocusim {

namespace wire = platform::usbwire;

namespace {

constexpr std::uint32_t kResetValue = 3;

DriverState::Answer word(std::uint32_t value, std::uint32_t capacity) {
    DriverState::Answer answer;
    if (capacity < 4) {
        return answer;
    }
    ByteWriter output;
    output.u32(value);
    answer.ok = true;
    answer.output = output.take();
    return answer;
}

}  // namespace

DriverState::Answer DriverState::handle(std::uint32_t code, std::uint32_t capacity,
                                        const std::uint8_t* input, std::size_t inputSize,
                                        Clock::time_point now) {
    ++record_.requests;
    ByteReader reader(input, inputSize);
    Answer failed;
    switch (code) {
        case wire::kIoctlDriverCommand:
            if (inputSize < 4) {
                return failed;
            }
            ++record_.driverCommands;
            return word(0, capacity);
        case wire::kIoctlFirmwareVersion:
            return inputSize < 4 ? failed : word(profile_.firmware, capacity);
        case wire::kIoctlDriverVersion:
            return inputSize < 4 ? failed : word(profile_.driverVersion, capacity);
        case wire::kIoctlSetTimeout: {
            const std::uint32_t timeout = reader.u32();
            if (!reader.ok()) {
                return failed;
            }
            ++record_.timeoutsSet;
            record_.lastTimeout = timeout;
            return word(timeout, capacity);
        }
        case wire::kIoctlPipeReset: {
            ++record_.pipeResets;
            Answer answer;
            answer.ok = true;
            answer.action = PipeAction::ResetBoth;
            return answer;
        }
        case wire::kIoctlPipe0:
        case wire::kIoctlPipe1:
        case wire::kIoctlPipe2:
        case wire::kIoctlPipe3: {
            const std::uint32_t value = reader.u32();
            if (!reader.ok()) {
                return failed;
            }
            const int selector = static_cast<int>((code - wire::kIoctlPipe0) / 4);
            ++record_.pipeControls[selector];
            Answer answer;
            answer.ok = true;
            // Pipe 0 carries blocks to the camera, pipe 1 its answers; value 3 resets a pipe.
            if (value == kResetValue && selector <= 1) {
                ++record_.pipeResets;
                answer.action =
                    selector == 0 ? PipeAction::ResetInbound : PipeAction::ResetOutbound;
            }
            return answer;
        }
        case wire::kIoctlVendorRequest: {
            if (inputSize < 7 || capacity < 4) {
                return failed;
            }
            const std::uint8_t request = input[2];
            std::uint32_t value = 0;
            if (request == kWakeUpPoll) {
                ++record_.wakePolls;
                value = camera_.wakePoll(now);
            } else if (request == kSecondVersion) {
                ++record_.secondVersionReads;
                value = profile_.hasSecondFirmware() ? profile_.secondFirmware : 0;
            } else {
                return failed;
            }
            Answer answer = word(value, capacity);
            if (capacity >= 5) {
                answer.output.push_back(0);
            }
            return answer;
        }
        default:
            return failed;
    }
}

}  // namespace ocusim
