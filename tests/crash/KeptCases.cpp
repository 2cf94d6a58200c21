#include "KeptCases.h"

#include <cstring>

namespace crash {

namespace {

// One case in this many of the spread: the sample stays within two minutes.
constexpr std::size_t kStride = 12;

struct Kept {
    const char* workload;
    Fault::Mode mode;
    int step;
    DWORD error;  // a failed step's error
    int held;     // the file's steps that fail after it
    Torn torn;    // a cut's variant
};

// Cases that once found a fault, kept for good.
const Kept kKept[] = {
    {"", Fault::Mode::None, 0, 0, 0, Torn::Whole},
};

}  // namespace

bool InSample(const Case& one, std::size_t index, std::size_t workloadIndex)
{
    if (one.fault.mode == Fault::Mode::None || index % kStride == workloadIndex % kStride)
        return true;
    for (const Kept& kept : kKept) {
        if (one.workload->name == kept.workload && one.fault.mode == kept.mode && one.fault.step == kept.step &&
            (kept.mode == Fault::Mode::Fail ? one.fault.error == kept.error && one.fault.held == kept.held
                                            : one.torn == kept.torn))
            return true;
    }
    return false;
}

}  // namespace crash
