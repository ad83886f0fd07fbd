#include "simulator/CommandGroup.h"

#include "sdk/SdkStatus.h"

namespace ocusim {

CommandOutcome CommandGroup::finish(std::uint16_t, const Params&, const std::vector<std::uint8_t>&,
                                    Clock::time_point) {
    return CommandOutcome::failure(CAMX_DEV_BAD_DATA);
}

}  // namespace ocusim
