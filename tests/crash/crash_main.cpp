// The crash explorer: every workload, every step failed and cut, the store
// started again and its invariants checked. Prints each violation, then the
// line "crash-test: N cases, M violations" last.
//   crash_explorer            a sample of the cases, with every case that once failed
//   crash_explorer --full     every case
//   crash_explorer --workload NAME [--case I]   only that workload's cases (only its I-th, its steps traced)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Explorer.h"
#include "KeptCases.h"
#include "ShareExplorer.h"

int main(int argc, char** argv)
{
    bool full = false;
    std::string only;
    long traced = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0)
            full = true;
        else if (std::strcmp(argv[i], "--workload") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc)
            traced = std::strtol(argv[++i], nullptr, 10);
    }
    const auto start = std::chrono::steady_clock::now();
    crash::Explorer explorer;
    const std::vector<crash::Workload> workloads = crash::AllWorkloads();
    size_t cases = 0, violations = 0;
    for (size_t w = 0; w < workloads.size(); ++w) {
        const crash::Workload& workload = workloads[w];
        if (!only.empty() && workload.name != only)
            continue;
        const std::vector<crash::Case> all = explorer.CasesOf(workload);
        size_t ran = 0, seen = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            crash::Case one = all[i];
            if (traced >= 0 && static_cast<size_t>(traced) != i)
                continue;
            if (traced < 0 && !full && !crash::InSample(one, i, w))
                continue;
            one.trace = traced >= 0;
            ++ran;
            for (const crash::Violation& violation : explorer.Run(one)) {
                ++seen;
                std::printf("VIOLATION %s: %s [case %zu]", violation.invariant.c_str(), one.Name().c_str(), i);
                const std::string step = explorer.StepOf(one);
                if (!step.empty())
                    std::printf(" (%s)", step.c_str());
                std::printf("\n    %s\n    files: %s\n", violation.detail.c_str(), violation.files.c_str());
            }
        }
        std::printf("%s: %zu of %zu cases, %zu violations\n", workload.name.c_str(), ran, all.size(), seen);
        std::fflush(stdout);
        cases += ran;
        violations += seen;
    }
    if (only.empty() || only == "sharing") {
        const crash::ShareTally sharing = crash::ExploreSharing(full, only.empty() ? -1 : traced);
        cases += sharing.cases;
        violations += sharing.violations;
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s in %lld s\n", full ? "full sweep" : "sample", static_cast<long long>(seconds));
    std::printf("crash-test: %zu cases, %zu violations\n", cases, violations);
    return violations == 0 ? 0 : 1;
}
