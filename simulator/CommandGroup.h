#pragma once

#include <cstdint>
#include <vector>

#include "simulator/Command.h"

namespace ocusim {

// A set of related commands of the camera. A command is answered in one step, or, when it
// announces a data phase from the host, in two: `begin` asks for the data (after checking what
// it can) and `finish` answers once the data arrived. For such commands `begin` changes nothing,
// so a command whose data never comes leaves no trace.
class CommandGroup {
public:
    virtual ~CommandGroup() = default;

    virtual bool handles(std::uint16_t code) const = 0;
    virtual CommandOutcome begin(std::uint16_t code, const Params& params,
                                 Clock::time_point now) = 0;
    virtual CommandOutcome finish(std::uint16_t code, const Params& params,
                                  const std::vector<std::uint8_t>& data, Clock::time_point now);
};

}  // namespace ocusim
