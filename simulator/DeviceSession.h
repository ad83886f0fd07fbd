#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "simulator/Block.h"
#include "simulator/CameraDevice.h"
#include "simulator/FaultPlan.h"

namespace ocusim {

// Something for the link to send: a reply block or a data phase, not before `notBefore`.
struct Outbound {
    std::vector<std::uint8_t> bytes;
    Clock::time_point notBefore{};
};

// The block protocol on the device side of a link. It knows whether the next transfer from the
// host is a command block or the data phase of the command in progress, hands both to the camera
// and turns the camera's answers into transfers: for a command with a data phase first an
// acknowledgement (status 0, no results), after the data the reply; then the reply's data phase
// when it has one. Transfers that are not command blocks (wrong size, no magic) are dropped
// without an answer, as line noise; a block with an impossible length is answered with
// CAMX_DEV_BAD_DATA. Single-threaded.
class DeviceSession {
public:
    explicit DeviceSession(CameraDevice& camera) : camera_(camera) {}

    bool expectingData() const { return pending_.has_value(); }
    std::size_t expectedDataLength() const { return pending_ ? pending_->dataLength : 0; }

    // One transfer from the host: a whole USB transfer, or on a serial line the 88 bytes of a
    // block or the announced number of data bytes.
    void onTransfer(const std::uint8_t* bytes, std::size_t size, Clock::time_point now,
                    std::vector<Outbound>& out);
    // Forgets a data phase in progress (pipe reset, host gone).
    void reset() { pending_.reset(); }

    FaultPlan& faults() { return faults_; }
    std::uint64_t commandCount(std::uint16_t code) const;
    std::uint64_t ignoredTransfers() const { return ignored_; }

private:
    struct Pending {
        CommandBlock block;
        std::size_t dataLength = 0;
        FaultPlan::Faults faults;
    };

    void emit(std::uint16_t code, CommandOutcome outcome, const FaultPlan::Faults& faults,
              Clock::time_point now, std::vector<Outbound>& out);

    CameraDevice& camera_;
    FaultPlan faults_;
    std::optional<Pending> pending_;
    std::map<std::uint16_t, std::uint64_t> counts_;
    std::uint64_t ignored_ = 0;
};

}  // namespace ocusim
