#pragma once

// A transport that plays the camera inside the test: handlers registered per command code queue
// the camera's transfers (reply blocks, data phases) when the host writes a command block; the
// host's reads take them in order, with bulk-pipe semantics (a read takes at most what it asks
// for; a shorter transfer gives a short read). Faults can be injected into the next reads and
// writes: failures, time-outs, truncation, corruption. Everything the host does is logged.

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/CCommObj.h"
#include "sdk/ProtocolBlock.h"

namespace fakes {

using Bytes = std::vector<std::uint8_t>;

// Builds little-endian byte strings: Out().u32(5).u8(1).bytes.
struct Out {
    Bytes bytes;
    Out& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    Out& u16(std::uint16_t v) {
        return u8(static_cast<std::uint8_t>(v)).u8(static_cast<std::uint8_t>(v >> 8));
    }
    Out& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            u8(static_cast<std::uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
    Out& f32(float v) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Out& text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return u8(0);
    }
    Out& raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Out& fill(std::uint8_t v, std::size_t n) {
        bytes.insert(bytes.end(), n, v);
        return *this;
    }
};

// An 88-byte reply block; `length` overrides the length field (default 12 + results).
inline Bytes replyBlock(std::uint16_t code, std::uint16_t status, const Bytes& results = {},
                        long length = -1) {
    Bytes block(sdk::kBlockSize, 0);
    sdk::ByteWriter writer(block.data(), block.size());
    writer.writeU32(0xADDE3201);
    writer.writeU32(length >= 0 ? static_cast<std::uint32_t>(length)
                                : static_cast<std::uint32_t>(12 + results.size()));
    writer.writeU16(code);
    writer.writeU16(status);
    writer.writeBytes(results.data(), std::min<std::size_t>(results.size(), 76));
    return block;
}

class FakeTransport : public sdk::CCommObj {
public:
    struct Command {
        std::uint16_t code = 0;
        std::uint32_t length = 0;
        Bytes parameters;  // all 76 parameter bytes as sent
        std::uint32_t paramCount() const { return length - 12; }
    };
    using Handler = std::function<void(FakeTransport&, const Command&)>;

    // Camera behaviour.
    void on(std::uint16_t code, Handler handler) { handlers_[code] = std::move(handler); }
    // Answers `code` with a reply of `status` and `results`, followed by `data` when given.
    void answer(std::uint16_t code, std::uint16_t status, const Bytes& results = {},
                const std::vector<Bytes>& data = {}) {
        on(code, [=](FakeTransport& t, const Command&) {
            t.queue(replyBlock(code, status, results));
            for (const Bytes& phase : data) {
                t.queue(phase);
            }
        });
    }
    void queue(const Bytes& transfer) { inbox.push_back(transfer); }

    // Faults for the next operations, in order.
    enum class Fault { Fail, TimeOut, Truncate, Corrupt, Short };
    struct ReadFault {
        Fault kind;
        std::size_t keep = 0;  // Truncate: bytes kept of the transfer
        std::size_t offset = 0;
        std::uint8_t mask = 0;
    };
    void failNextRead(Fault kind) { readFaults.push_back({kind}); }
    void truncateNextRead(std::size_t keep) { readFaults.push_back({Fault::Truncate, keep}); }
    void corruptNextRead(std::size_t offset, std::uint8_t mask) {
        readFaults.push_back({Fault::Corrupt, 0, offset, mask});
    }
    void failNextWrite(Fault kind) { writeFaults.push_back(kind); }

    // Observations.
    std::vector<Command> commands;
    std::vector<Bytes> dataWrites;
    std::vector<std::string> events;
    std::deque<Bytes> inbox;
    std::deque<ReadFault> readFaults;
    std::deque<Fault> writeFaults;

    // Vendor requests and driver firmware answers.
    std::deque<std::uint32_t> vendorAnswers;
    std::deque<CamxStatus> vendorStatuses;
    CamxStatus firmwareStatus = CAMX_UNSUPPORTED_COMMAND;
    std::uint32_t firmwareFirst = 0;
    std::uint32_t firmwareSecond = 0;
    bool opened = true;

    std::size_t count(const std::string& event) const {
        std::size_t n = 0;
        for (const std::string& e : events) {
            n += e == event ? 1 : 0;
        }
        return n;
    }
    std::vector<std::uint16_t> codes() const {
        std::vector<std::uint16_t> list;
        for (const Command& c : commands) {
            list.push_back(c.code);
        }
        return list;
    }

    bool initialise() override { return true; }
    void release() override {}
    CamxStatus open(const char*, const std::uint32_t*) override {
        opened = true;
        return CAMX_OK;
    }
    CamxStatus write(const void* bytes, std::uint32_t size) override {
        const auto* data = static_cast<const std::uint8_t*>(bytes);
        events.push_back("write " + std::to_string(size));
        if (!writeFaults.empty()) {
            const Fault fault = writeFaults.front();
            writeFaults.pop_front();
            lastStatus_ = fault == Fault::TimeOut ? CAMX_DEVICE_IO_TIMEOUT
                          : fault == Fault::Short ? CAMX_DEVICE_IO_DATA_INVALID
                                                  : CAMX_DEVICE_IO_FAILED;
            return lastStatus_;
        }
        lastStatus_ = CAMX_OK;
        sdk::ByteReader reader(data, size);
        std::uint32_t magic = 0;
        if (size == sdk::kBlockSize && reader.readU32(&magic) && magic == sdk::kCommandMagic) {
            Command command;
            reader.readU32(&command.length);
            reader.readU16(&command.code);
            command.parameters.assign(data + 12, data + 88);
            commands.push_back(command);
            auto handler = handlers_.find(command.code);
            if (handler != handlers_.end()) {
                handler->second(*this, command);
            }
        } else {
            dataWrites.emplace_back(data, data + size);
        }
        return CAMX_OK;
    }
    CamxStatus read(void* buffer, std::uint32_t size) override {
        events.push_back("read " + std::to_string(size));
        lastStatus_ = deliver(static_cast<std::uint8_t*>(buffer), size);
        return lastStatus_;
    }
    void discardInput() override { events.push_back("discard"); }
    CamxStatus driverCommand() override { return CAMX_UNSUPPORTED_COMMAND; }
    bool setTimeout(std::uint32_t ms) override {
        timeout_ = ms;
        events.push_back("timeout " + std::to_string(ms));
        return true;
    }
    CamxStatus pipeControl(std::uint32_t, std::uint32_t, sdk::DataBuffer*) override {
        return CAMX_OK;
    }
    CamxStatus vendorRequest(bool directionIn, std::uint8_t request,
                             std::uint32_t* answer) override {
        events.push_back("vendor " + std::to_string(request) + (directionIn ? " in" : " out"));
        CamxStatus status = CAMX_OK;
        if (!vendorStatuses.empty()) {
            status = vendorStatuses.front();
            vendorStatuses.pop_front();
        }
        if (status == CAMX_OK) {
            *answer = vendorAnswers.empty() ? 0 : vendorAnswers.front();
        }
        if (!vendorAnswers.empty()) {
            vendorAnswers.pop_front();
        }
        return status;
    }
    CamxStatus firmwareVersion(std::uint32_t* first, std::uint32_t* second) override {
        *first = firmwareFirst;
        *second = firmwareSecond;
        return firmwareStatus;
    }
    bool isOpen() const override { return opened; }

protected:
    void closeHandle() override { opened = false; }

private:
    CamxStatus deliver(std::uint8_t* buffer, std::uint32_t size) {
        ReadFault fault{Fault::Fail};
        bool faulty = false;
        if (!readFaults.empty()) {
            fault = readFaults.front();
            readFaults.pop_front();
            faulty = true;
        }
        if (faulty && fault.kind == Fault::Fail) {
            return CAMX_DEVICE_IO_FAILED;
        }
        if ((faulty && fault.kind == Fault::TimeOut) || inbox.empty()) {
            return CAMX_DEVICE_IO_TIMEOUT;
        }
        Bytes& front = inbox.front();
        if (faulty && fault.kind == Fault::Truncate) {
            front.resize(std::min(front.size(), fault.keep));
        }
        if (faulty && fault.kind == Fault::Corrupt && fault.offset < front.size()) {
            front[fault.offset] ^= fault.mask;
        }
        const std::size_t taken = std::min<std::size_t>(size, front.size());
        std::memcpy(buffer, front.data(), taken);
        if (taken == front.size()) {
            inbox.pop_front();
        } else {
            front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(taken));
        }
        if (taken == 0) {
            return CAMX_DEVICE_IO_TIMEOUT;
        }
        return taken < size ? CAMX_DEVICE_IO_DATA_INVALID : CAMX_OK;
    }

    std::map<std::uint16_t, Handler> handlers_;
};

}  // namespace fakes
