#pragma once
// Which cases the sample (make test) runs: every workload's case without a
// fault, an even spread of the others, and every case that once failed.
#include <cstddef>

#include "Explorer.h"

namespace crash {

bool InSample(const Case& one, std::size_t index, std::size_t workloadIndex);

}  // namespace crash
