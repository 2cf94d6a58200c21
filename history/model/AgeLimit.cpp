#include "history/model/AgeLimit.h"

#include <vector>

int AgeLimit::Forget(HistoryModel& history, int days, std::uint64_t now)
{
    if (days <= 0 || now < kDay * static_cast<std::uint64_t>(days))
        return 0;
    const std::uint64_t cutoff = now - kDay * static_cast<std::uint64_t>(days);
    std::vector<EntryId> ids;
    for (int row = history.TopCount(); row < history.Count(); ++row) {
        if (history.At(row).captured < cutoff)
            ids.push_back(history.At(row).id);
    }
    if (!ids.empty())
        history.Remove(ids);
    return static_cast<int>(ids.size());
}
