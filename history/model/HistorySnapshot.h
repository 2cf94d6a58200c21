#pragma once
#include <vector>

#include "history/model/ClipOptions.h"
#include "history/model/HistoryEntry.h"

// The history and settings at one moment, for a save that runs beside the
// popup: the entries' contents are shared, never copied.
struct HistorySnapshot {
    std::vector<HistoryEntry> entries;
    int topCount = 0;
    ClipOptions options;
};
