#pragma once
#include <string>

#include "history/model/ClipOptions.h"
#include "history/store/DurableHistory.h"
#include "history/model/HistoryModel.h"

// The history as the popup keeps it on disk, without a window: the data folder
// loaded, and from then on every change of the model in its journal.
struct KeptHistory {
    // `dataFolder` ends with a backslash.
    explicit KeptHistory(const std::wstring& dataFolder);

    HistoryModel model;
    ClipOptions options;
    DurableHistory durable;
};
