#include "Bitness.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "UnameBitnessProbe.h"

#include <sys/personality.h>

namespace drvlaunch {
namespace {

class AnsweringProbe : public BitnessProbe {
public:
    explicit AnsweringProbe(Wow64QueryResult answer) : answer_(answer) {}
    Wow64QueryResult queryWow64Directory() override { return answer_; }

private:
    Wow64QueryResult answer_;
};

Bitness decide(Wow64QueryResult::Outcome outcome, int error) {
    AnsweringProbe probe({outcome, error});
    return decideBitness(probe);
}

TEST(Bitness, QueryThatSucceedsMeansSixtyFour) {
    EXPECT_EQ(decide(Wow64QueryResult::Outcome::Succeeded, 0), Bitness::SixtyFour);
}

TEST(Bitness, MissingQueryMeansThirtyTwo) {
    EXPECT_EQ(decide(Wow64QueryResult::Outcome::Missing, 0), Bitness::ThirtyTwo);
}

TEST(Bitness, QueryThatIsNotImplementedMeansThirtyTwo) {
    EXPECT_EQ(decide(Wow64QueryResult::Outcome::Failed, ENOSYS), Bitness::ThirtyTwo);
}

TEST(Bitness, QueryFailingForAnotherReasonMeansSixtyFour) {
    for (int error : {EACCES, EFAULT, ENOMEM, EINVAL, ERANGE}) {
        EXPECT_EQ(decide(Wow64QueryResult::Outcome::Failed, error), Bitness::SixtyFour) << error;
    }
}

TEST(Bitness, MachineNamesOfSixtyFourBitKernels) {
    for (const char* machine :
         {"x86_64", "aarch64", "aarch64_be", "arm64", "ppc64", "ppc64le", "s390x", "mips64",
          "riscv64", "sparc64", "ia64", "alpha", "loongarch64", "parisc64"}) {
        EXPECT_TRUE(isSixtyFourBitMachine(machine)) << machine;
    }
}

TEST(Bitness, MachineNamesOfThirtyTwoBitKernels) {
    for (const char* machine : {"i386", "i486", "i586", "i686", "armv6l", "armv7l", "armv8l", "ppc",
                                "s390", "mips", "riscv32", "sparc", "parisc", "m68k", ""}) {
        EXPECT_FALSE(isSixtyFourBitMachine(machine)) << machine;
    }
}

TEST(Bitness, UnameProbeOfASixtyFourBitProgramSucceeds) {
    // A 64-bit program runs only on a 64-bit kernel.
    if (sizeof(void*) != 8) {
        GTEST_SKIP() << "a 32-bit test program tells nothing about the kernel";
    }
    UnameBitnessProbe probe;
    const Wow64QueryResult result = probe.queryWow64Directory();
    EXPECT_EQ(result.outcome, Wow64QueryResult::Outcome::Succeeded);
    EXPECT_EQ(decideBitness(probe), Bitness::SixtyFour);
}

TEST(Bitness, UnameProbeUnderThirtyTwoBitPersonalityIsNotImplemented) {
    // PER_LINUX32 makes uname report the 32-bit machine name, as "setarch i686" does.
    const int previous = personality(0xFFFFFFFF);
    ASSERT_NE(previous, -1);
    ASSERT_NE(personality(PER_LINUX32), -1);
    UnameBitnessProbe probe;
    const Wow64QueryResult result = probe.queryWow64Directory();
    const Bitness bitness = decideBitness(probe);
    personality(static_cast<unsigned long>(previous));
    EXPECT_EQ(result.outcome, Wow64QueryResult::Outcome::Failed);
    EXPECT_EQ(result.error, ENOSYS);
    EXPECT_EQ(bitness, Bitness::ThirtyTwo);
}

}  // namespace
}  // namespace drvlaunch
