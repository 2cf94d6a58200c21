#pragma once
#include <cstdint>

#include "history/model/HistoryModel.h"

// "Forget entries older than N days": the entries outside the top zone
// captured more than that long ago go, as Delete removes them.
class AgeLimit {
public:
    // FILETIME steps (100 ns) in a day.
    static constexpr std::uint64_t kDay = 24ull * 60 * 60 * 10000000;
    // How often a running program looks again.
    static constexpr unsigned kCheckIntervalMs = 60 * 60 * 1000;

    // Removes them; how many went. `days` 0 forgets nothing.
    static int Forget(HistoryModel& history, int days, std::uint64_t now);
};
