#include "bench/KeptHistory.h"

namespace {

constexpr int kScreenDepth = 32;

}  // namespace

KeptHistory::KeptHistory(const std::wstring& dataFolder) : durable(model, options)
{
    durable.SetFolder(DataFolder{dataFolder, dataFolder, false});
    durable.LoadOptions();
    durable.LoadHistory();
    // What a save reports goes nowhere: the figures check the files themselves.
    durable.Start(
        [this](UINT message) {
            if (message == DurableHistory::kFullSaveMessage)
                fullSaveAsked = true;
        },
        kScreenDepth, JournalWriter::Driver());
}

bool KeptHistory::Answer()
{
    if (!fullSaveAsked.exchange(false))
        return false;
    durable.SaveFull();
    return true;
}
