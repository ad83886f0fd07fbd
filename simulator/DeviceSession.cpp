#include "simulator/DeviceSession.h"

#include <algorithm>

#include "sdk/SdkStatus.h"

namespace ocusim {

std::uint64_t DeviceSession::commandCount(std::uint16_t code) const {
    const auto found = counts_.find(code);
    return found == counts_.end() ? 0 : found->second;
}

void DeviceSession::onTransfer(const std::uint8_t* bytes, std::size_t size, Clock::time_point now,
                               std::vector<Outbound>& out) {
    if (pending_) {
        Pending pending = std::move(*pending_);
        pending_.reset();
        const std::vector<std::uint8_t> data(bytes, bytes + size);
        CommandOutcome outcome = size == pending.dataLength
                                     ? camera_.finish(pending.block, data, now)
                                     : CommandOutcome::failure(CAMX_DEV_BAD_DATA);
        FaultPlan::Faults faults = pending.faults;
        faults.delay = std::chrono::milliseconds(0);  // a delay applies to the first answer only
        emit(pending.block.code, std::move(outcome), faults, now, out);
        return;
    }

    CommandBlock block;
    switch (decodeCommandBlock(bytes, size, block)) {
        case BlockError::WrongSize:
        case BlockError::BadMagic:
            ++ignored_;
            return;
        case BlockError::BadLength:
            ++counts_[block.code];
            emit(block.code, CommandOutcome::failure(CAMX_DEV_BAD_DATA), {}, now, out);
            return;
        case BlockError::None:
            break;
    }
    ++counts_[block.code];
    const FaultPlan::Faults faults = faults_.take(block.code);
    if (faults.drop) {
        return;
    }
    CommandOutcome outcome = camera_.begin(block, now);
    if (outcome.dataOutLength > 0) {
        Reply ack;
        ack.code = block.code;
        out.push_back({encodeReply(ack), now + faults.delay});
        pending_ = Pending{std::move(block), outcome.dataOutLength, faults};
        return;
    }
    emit(block.code, std::move(outcome), faults, now, out);
}

void DeviceSession::emit(std::uint16_t code, CommandOutcome outcome,
                         const FaultPlan::Faults& faults, Clock::time_point now,
                         std::vector<Outbound>& out) {
    Reply reply;
    reply.code = faults.echo ? *faults.echo : code;
    reply.status = outcome.status;
    reply.results = std::move(outcome.results);
    const Clock::time_point when = std::max(outcome.notBefore, now + faults.delay);
    std::vector<std::uint8_t> block = encodeReply(reply);
    if (faults.shortTo) {
        block.resize(std::min(*faults.shortTo, block.size()));
        out.push_back({std::move(block), when});
        return;
    }
    out.push_back({std::move(block), when});
    if (!outcome.data.empty()) {
        out.push_back({std::move(outcome.data), when});
    }
}

}  // namespace ocusim
