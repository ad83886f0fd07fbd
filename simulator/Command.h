#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "simulator/CaptureSession.h"

namespace ocusim {

// What the camera does in answer to a command block (or to the data phase that follows it).
struct CommandOutcome {
    std::uint16_t status = 0;
    std::vector<std::uint8_t> results;  // inline results of the reply block (at most 76 bytes)
    std::vector<std::uint8_t> data;     // data phase sent after the reply, when not empty
    // Non-zero: acknowledge the block and receive this many bytes before answering.
    std::size_t dataOutLength = 0;
    Clock::time_point notBefore{};  // the reply may not leave earlier (a frame not yet taken)

    static CommandOutcome failure(std::uint32_t status);
    static CommandOutcome expectData(std::size_t length);
    // A reply whose data phase is `data`, its length announced in the 32-bit result at p0.
    static CommandOutcome withData(std::vector<std::uint8_t> data, std::uint32_t status = 0);
};

// Reads the parameters of a command at fixed offsets. Only the parameter bytes the block's
// length announces exist; reading beyond them is an error the caller checks with `has`.
class Params {
public:
    explicit Params(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    std::size_t count() const { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::uint8_t u8(std::size_t offset) const;
    std::uint16_t u16(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;
    float f32(std::size_t offset) const;
    const std::uint8_t* at(std::size_t offset) const { return bytes_.data() + offset; }
    // The NUL-terminated text from `offset`; false when the terminator is missing.
    bool text(std::size_t offset, std::string& out) const;

private:
    const std::vector<std::uint8_t>& bytes_;
};

// User identifiers the camera accepts: 1 to 31 ASCII letters and digits.
bool isValidUserId(const std::string& id);

}  // namespace ocusim
