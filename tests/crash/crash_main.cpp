// The crash explorer: every workload, every step failed and cut, the store
// started again and its invariants checked. Prints each violation, then the
// line "crash-test: N cases, M violations" last.
//   crash_explorer            a sample of the cases, with every case that once failed
//   crash_explorer --full     every case
//   crash_explorer --workload NAME [--case I]   only that workload's cases (only its I-th, its steps traced)
//   crash_explorer --workload NAME --keys       each of its cases' step, as the kept cases name them
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
    bool keys = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0)
            full = true;
        else if (std::strcmp(argv[i], "--workload") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (std::strcmp(argv[i], "--keys") == 0)
            keys = true;
        else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc)
            traced = std::strtol(argv[++i], nullptr, 10);
    }
    const auto start = std::chrono::steady_clock::now();
    crash::Explorer explorer;
    const std::vector<crash::Workload> workloads = crash::AllWorkloads();
    size_t cases = 0, violations = 0;
    std::vector<std::string> seen;
    for (size_t w = 0; w < workloads.size(); ++w) {
        const crash::Workload& workload = workloads[w];
        if (!only.empty() && workload.name != only)
            continue;
        const std::vector<crash::Case> all = explorer.CasesOf(workload);
        seen.push_back(workload.name);
        if (keys) {
            for (size_t i = 0; i < all.size(); ++i)
                std::printf("%zu %s: %s\n", i, all[i].Name().c_str(), explorer.StepKey(all[i]).c_str());
            continue;
        }
        size_t ran = 0, seen = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            crash::Case one = all[i];
            if (traced >= 0 && static_cast<size_t>(traced) != i)
                continue;
            const bool sampled = crash::InSample(explorer, one, i, w);
            if (traced < 0 && !full && !sampled)
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
    // A case that once failed stays in the sample: one that no longer names a case must be named anew.
    if (traced < 0) {
        for (const std::string& lost : crash::KeptCasesNotFound(seen)) {
            std::printf("KEPT CASE NOT FOUND: %s\n", lost.c_str());
            ++violations;
        }
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
