#include "simulator/FaultPlan.h"

namespace ocusim {

FaultPlan::Faults FaultPlan::take(std::uint16_t code) {
    const auto found = planned_.find(code);
    if (found == planned_.end()) {
        return {};
    }
    Faults faults = found->second;
    planned_.erase(found);
    return faults;
}

}  // namespace ocusim
