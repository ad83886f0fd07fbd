#include "UnameBitnessProbe.h"

#include <sys/utsname.h>

#include <cerrno>

namespace drvlaunch {

bool isSixtyFourBitMachine(std::string_view machine) {
    // Every 64-bit Linux architecture carries "64" in its machine name (x86_64, aarch64, arm64,
    // ppc64, ppc64le, mips64, riscv64, sparc64, ia64, loongarch64, parisc64) except these two.
    return machine.find("64") != std::string_view::npos || machine == "s390x" || machine == "alpha";
}

Wow64QueryResult UnameBitnessProbe::queryWow64Directory() {
    struct utsname names {};
    if (uname(&names) != 0) {
        return {Wow64QueryResult::Outcome::Failed, errno};
    }
    if (isSixtyFourBitMachine(names.machine)) {
        return {Wow64QueryResult::Outcome::Succeeded, 0};
    }
    return {Wow64QueryResult::Outcome::Failed, ENOSYS};
}

}  // namespace drvlaunch
