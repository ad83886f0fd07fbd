#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

namespace ocusim {

// Faults on the wire, armed from the control socket for the next command of a code and used
// once: the block goes unanswered, its reply is late, echoes another code, or is cut short.
class FaultPlan {
public:
    struct Faults {
        bool drop = false;
        std::chrono::milliseconds delay{0};
        std::optional<std::uint16_t> echo;
        std::optional<std::size_t> shortTo;
    };

    void dropNext(std::uint16_t code) { planned_[code].drop = true; }
    void delayNext(std::uint16_t code, std::chrono::milliseconds delay) {
        planned_[code].delay = delay;
    }
    void echoNext(std::uint16_t code, std::uint16_t other) { planned_[code].echo = other; }
    void shortenNext(std::uint16_t code, std::size_t bytes) { planned_[code].shortTo = bytes; }

    // The faults armed for `code`; they are used up.
    Faults take(std::uint16_t code);

private:
    std::map<std::uint16_t, Faults> planned_;
};

}  // namespace ocusim
