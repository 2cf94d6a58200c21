#include "KeptCases.h"

#include <algorithm>
#include <cstring>

namespace crash {

namespace {

// One case in this many of the spread: the sample stays well within two minutes.
constexpr std::size_t kStride = 4;

struct Kept {
    const char* workload;
    Fault::Mode mode;
    const char* step;  // as Explorer::StepKey names it
    DWORD error;       // a failed step's error
    int held;          // the file's steps that fail after it
    Torn torn;         // a cut's variant
};

// Cases that once found a fault, kept for good.
const Kept kKept[] = {
    // A journal that could not be opened once at the start stopped saving for the session.
    {"texts", Fault::Mode::Fail, "open data.journal #1", ERROR_ACCESS_DENIED, 0, Torn::Whole},
    // A file that could not be looked at was taken for a missing one: a save's move was skipped.
    {"texts", Fault::Mode::Fail, "attributes data.data.qtmp #1", ERROR_IO_DEVICE, 0, Torn::Whole},
    // The history's size could not be had once: the load stopped, and saving with it.
    {"clear all", Fault::Mode::Fail, "size data.data #1", ERROR_IO_DEVICE, 0, Torn::Whole},
    // Files held for a while at the start: the history read later, what was done to it meanwhile kept.
    {"clear all", Fault::Mode::Fail, "open imgOption.data #1", ERROR_SHARING_VIOLATION, 100, Torn::Whole},
    {"clear all", Fault::Mode::Fail, "open 3.dat #1", ERROR_SHARING_VIOLATION, 100, Torn::Whole},
    // A key file held at the start was forgotten: the sealed files no key opened were removed.
    {"key foreign", Fault::Mode::Fail, "open history.key #1", ERROR_SHARING_VIOLATION, 100, Torn::Whole},
    // The first sealed save failed: copies went to a plain journal meanwhile.
    {"key missing", Fault::Mode::Fail, "open data.qdata.qtmp #1", ERROR_SHARING_VIOLATION, 0, Torn::Whole},
    // An exit save that failed after a spliced journal: the next frame went on the wrong chain.
    {"data.qjournal spliced", Fault::Mode::Fail, "write 5.qdat.qtmp #1", ERROR_IO_DEVICE, 0, Torn::Whole},
    // Switching encryption on, cut while its set removed the plain files.
    {"encryption on", Fault::Mode::Cut, "delete data.data #1", 0, 0, Torn::Whole},
};

std::vector<bool>& Found()
{
    static std::vector<bool> found(sizeof kKept / sizeof kKept[0], false);
    return found;
}

}  // namespace

bool InSample(const Explorer& explorer, const Case& one, std::size_t index, std::size_t workloadIndex)
{
    const std::string step = explorer.StepKey(one);
    bool kept = false;
    for (std::size_t i = 0; i < sizeof kKept / sizeof kKept[0]; ++i) {
        const Kept& named = kKept[i];
        if (one.workload->name == named.workload && one.fault.mode == named.mode && step == named.step &&
            (named.mode == Fault::Mode::Fail ? one.fault.error == named.error && one.fault.held == named.held
                                             : one.torn == named.torn)) {
            Found()[i] = true;
            kept = true;
        }
    }
    return kept || one.fault.mode == Fault::Mode::None || index % kStride == workloadIndex % kStride;
}

std::vector<std::string> KeptCasesNotFound(const std::vector<std::string>& workloadsSeen)
{
    std::vector<std::string> lost;
    for (std::size_t i = 0; i < sizeof kKept / sizeof kKept[0]; ++i) {
        const Kept& named = kKept[i];
        if (!Found()[i] && std::find(workloadsSeen.begin(), workloadsSeen.end(), named.workload) != workloadsSeen.end())
            lost.push_back(std::string(named.workload) + ": " + named.step);
    }
    return lost;
}

}  // namespace crash
