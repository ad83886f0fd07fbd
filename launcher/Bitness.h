#pragma once

namespace drvlaunch {

enum class Bitness { ThirtyTwo, SixtyFour };

// What the system answered when asked for its 32-bit compatibility (WOW64) system directory.
struct Wow64QueryResult {
    enum class Outcome {
        Missing,    // the system has no such query at all
        Succeeded,  // the query gave the directory
        Failed,     // the query exists and failed with `error`
    };
    Outcome outcome;
    int error;  // errno value when Failed, else 0
};

// The seam through which the launcher asks about the system's bitness; tests give their own
// answers, the program uses UnameBitnessProbe.
class BitnessProbe {
public:
    virtual ~BitnessProbe() = default;
    virtual Wow64QueryResult queryWow64Directory() = 0;
};

// The system is 64-bit when the WOW64 query exists and either succeeds or fails with an error
// other than ENOSYS ("not implemented": the query exists on a 32-bit system but does nothing
// there). Otherwise, a missing query included, it is 32-bit.
Bitness decideBitness(BitnessProbe& probe);

}  // namespace drvlaunch
