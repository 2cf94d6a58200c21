#pragma once
#include <atomic>
#include <string>

#include "history/model/ClipOptions.h"
#include "history/store/DurableHistory.h"
#include "history/model/HistoryModel.h"

// The history as the popup keeps it on disk, without a window: the data folder
// loaded, and from then on every change of the model in its journal.
struct KeptHistory {
    // `dataFolder` ends with a backslash.
    explicit KeptHistory(const std::wstring& dataFolder);

    // What the popup does with the store's messages: a full save asked for (a
    // fold after a removal) is made. True when one was asked for.
    bool Answer();

    HistoryModel model;
    ClipOptions options;
    DurableHistory durable;
    std::atomic<bool> fullSaveAsked{false};
};
