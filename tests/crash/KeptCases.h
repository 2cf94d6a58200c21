#pragma once
// Which cases the sample (make test) runs: every workload's case without a
// fault, an even spread of the others, and every case that once failed.
#include <cstddef>
#include <string>
#include <vector>

#include "Explorer.h"

namespace crash {

bool InSample(const Explorer& explorer, const Case& one, std::size_t index, std::size_t workloadIndex);
// The kept cases that named no case of the workloads seen: lost to a change of
// the code, they must be named anew.
std::vector<std::string> KeptCasesNotFound(const std::vector<std::string>& workloadsSeen);

}  // namespace crash
