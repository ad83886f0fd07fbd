#pragma once

#include <cstdint>

#include "capture/SessionSlot.h"

namespace lensws {

// The single sensor lock. `ownerSlot` names the holder's slot; the holder is only valid while
// that slot still holds the session recorded in `ownerCopy` and has not expired, so a lock whose
// owner expired or left counts as free even before anybody clears `ownerSlot`.
struct LockRecord {
    std::int32_t stealPreventionPeriod = 0;  // seconds after a steal during which no steal succeeds
    std::int32_t ownerSlot = -1;             // -1: nobody holds the lock
    SessionSlot ownerCopy;                   // the owner's slot when it took the lock
    std::int64_t lastStealTime = 0;          // written only by a steal from a valid owner
};

}  // namespace lensws
