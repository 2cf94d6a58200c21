#pragma once
// Records the largest single operator new request, so a test can prove that a
// length prefix promising gigabytes never turns into a gigabyte allocation.
#include <cstddef>

namespace allocation_probe {
void Reset();
std::size_t LargestRequest();
}  // namespace allocation_probe
