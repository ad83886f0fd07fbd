#include "Bitness.h"

#include <cerrno>

namespace drvlaunch {

Bitness decideBitness(BitnessProbe& probe) {
    const Wow64QueryResult result = probe.queryWow64Directory();
    switch (result.outcome) {
        case Wow64QueryResult::Outcome::Succeeded:
            return Bitness::SixtyFour;
        case Wow64QueryResult::Outcome::Failed:
            return result.error == ENOSYS ? Bitness::ThirtyTwo : Bitness::SixtyFour;
        case Wow64QueryResult::Outcome::Missing:
            break;
    }
    return Bitness::ThirtyTwo;
}

}  // namespace drvlaunch
