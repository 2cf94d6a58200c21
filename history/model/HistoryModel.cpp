#include "history/model/HistoryModel.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include <bcrypt.h>

namespace {

EntryId RandomStart()
{
    EntryId start = 0;
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&start), sizeof(start),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        LARGE_INTEGER now = {};
        QueryPerformanceCounter(&now);
        start = (static_cast<EntryId>(GetCurrentProcessId()) << 40) ^ static_cast<EntryId>(now.QuadPart);
    }
    // Room to count up without wrapping to the "no entry" id 0.
    return (start >> 1) | 1;
}

}  // namespace

HistoryModel::HistoryModel(IdSource ids) : m_ids(std::move(ids))
{
    if (!m_ids)
        m_nextId = RandomStart();
}

EntryId HistoryModel::NewId()
{
    if (m_ids)
        return m_ids();
    return m_nextId++;
}

int HistoryModel::RowOf(EntryId id) const
{
    for (size_t row = 0; row < m_entries.size(); ++row) {
        if (m_entries[row].id == id)
            return static_cast<int>(row);
    }
    return -1;
}

void HistoryModel::Announce(HistoryChange change)
{
    if (m_loading)
        return;
    for (const Listener& listener : m_listeners)
        listener(change);
}

EntryId HistoryModel::InsertText(std::wstring text, std::shared_ptr<const EntryFormats> formats, bool keepHere)
{
    HistoryEntry entry;
    entry.id = NewId();
    entry.keepHere = keepHere;
    entry.text = std::make_shared<const std::wstring>(std::move(text));
    entry.formats = std::move(formats);
    const EntryId id = entry.id;
    Insert(std::move(entry));
    return id;
}

EntryId HistoryModel::InsertPicture(UniqueBitmap bitmap, std::wstring label, bool keepHere)
{
    HistoryEntry entry;
    entry.keepHere = keepHere;
    entry.id = NewId();
    entry.picture = std::make_shared<const EntryPicture>(std::move(bitmap), std::move(label));
    const EntryId id = entry.id;
    Insert(std::move(entry));
    return id;
}

bool HistoryModel::Insert(HistoryEntry entry)
{
    if (entry.id == 0 || RowOf(entry.id) >= 0)
        return false;
    const EntryId id = entry.id;
    if (entry.captured == 0)
        entry.captured = UtcNow();
    m_topCount = std::clamp(m_topCount, 0, Count());
    auto at = m_entries.insert(m_entries.begin() + m_topCount, std::move(entry));
    Announce({HistoryChange::Kind::Insert, {id}, &*at});
    return true;
}

void HistoryModel::RemoveRows(std::vector<int> rows, std::vector<EntryId>& removed)
{
    // From the bottom up, so the rows still to go keep their numbers.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        removed.push_back(m_entries[static_cast<size_t>(*row)].id);
        m_entries.erase(m_entries.begin() + *row);
        if (*row < m_topCount)
            --m_topCount;
    }
    std::reverse(removed.begin(), removed.end());
}

void HistoryModel::TrimForInsert()
{
    if (m_maxEntries < 1 || Count() < m_maxEntries)
        return;
    std::vector<EntryId> removed;
    RemoveRows({m_maxEntries - 1}, removed);
    Announce({HistoryChange::Kind::Remove, std::move(removed), nullptr, true});
}

void HistoryModel::TrimTo(int count)
{
    if (count < 0 || Count() <= count)
        return;
    std::vector<int> rows;
    for (int row = count; row < Count(); ++row)
        rows.push_back(row);
    std::vector<EntryId> removed;
    RemoveRows(std::move(rows), removed);
    Announce({HistoryChange::Kind::Remove, std::move(removed)});
}

void HistoryModel::Remove(const std::vector<EntryId>& ids)
{
    const std::unordered_set<EntryId> wanted(ids.begin(), ids.end());
    std::vector<int> rows;
    for (int row = 0; row < Count(); ++row) {
        if (wanted.count(At(row).id))
            rows.push_back(row);
    }
    if (rows.empty())
        return;
    std::vector<EntryId> removed;
    RemoveRows(std::move(rows), removed);
    Announce({HistoryChange::Kind::Remove, std::move(removed)});
}

void HistoryModel::SetTop(const std::vector<EntryId>& ids)
{
    const std::unordered_set<EntryId> wanted(ids.begin(), ids.end());
    auto below = m_entries.begin() + m_topCount;
    if (std::none_of(below, m_entries.end(), [&](const HistoryEntry& entry) { return wanted.count(entry.id) > 0; }))
        return;
    std::vector<HistoryEntry> moving;
    std::vector<HistoryEntry> staying;
    for (auto entry = below; entry != m_entries.end(); ++entry)
        (wanted.count(entry->id) ? moving : staying).push_back(std::move(*entry));
    HistoryChange change{HistoryChange::Kind::SetTop, {}};
    m_entries.resize(static_cast<size_t>(m_topCount));
    for (HistoryEntry& entry : moving) {
        change.ids.push_back(entry.id);
        m_entries.push_back(std::move(entry));
    }
    m_topCount = Count();
    for (HistoryEntry& entry : staying)
        m_entries.push_back(std::move(entry));
    Announce(std::move(change));
}

void HistoryModel::MoveBelowTop(EntryId id, std::uint64_t captured)
{
    const int row = RowOf(id);
    if (row < m_topCount)
        return;
    // Copied again: it counts as captured now, also when it is already in place.
    m_entries[static_cast<size_t>(row)].captured = captured ? captured : UtcNow();
    std::rotate(m_entries.begin() + m_topCount, m_entries.begin() + row, m_entries.begin() + row + 1);
    Announce({HistoryChange::Kind::MoveBelowTop, {id}, &m_entries[static_cast<size_t>(m_topCount)]});
}

void HistoryModel::Recopy(EntryId id, std::shared_ptr<const EntryFormats> formats, std::uint64_t captured)
{
    const int row = RowOf(id);
    if (row < 0)
        return;
    HistoryEntry& entry = m_entries[static_cast<size_t>(row)];
    entry.formats = std::move(formats);
    if (row >= m_topCount) {
        MoveBelowTop(id, captured);
        return;
    }
    // A pinned entry stays where it is; its new formats and time are still a change to keep.
    entry.captured = captured ? captured : UtcNow();
    Announce({HistoryChange::Kind::MoveBelowTop, {id}, &entry});
}

void HistoryModel::Clear()
{
    m_entries.clear();
    m_topCount = 0;
    Announce({HistoryChange::Kind::Clear, {}});
}

bool HistoryModel::Arrange(const std::vector<EntryId>& order, int topCount, std::vector<HistoryEntry> added)
{
    std::unordered_map<EntryId, size_t> rows;
    for (size_t row = 0; row < m_entries.size(); ++row)
        rows.emplace(m_entries[row].id, row);
    // The added entries usually come in the order's own order: a map of them only when they do not.
    std::vector<bool> used(added.size(), false);
    std::unordered_map<EntryId, size_t> joining;
    size_t next = 0;
    const auto joiner = [&](EntryId id) -> HistoryEntry* {
        while (next < added.size() && used[next])
            ++next;
        size_t index = next;
        if (index >= added.size() || added[index].id != id) {
            if (joining.empty())
                for (size_t i = 0; i < added.size(); ++i)
                    if (!used[i] && added[i].id != 0)
                        joining.emplace(added[i].id, i);
            const auto join = joining.find(id);
            if (id == 0 || join == joining.end() || used[join->second])
                return nullptr;
            index = join->second;
        }
        used[index] = true;
        return &added[index];
    };
    std::vector<HistoryEntry> arranged;
    arranged.reserve(m_entries.size() + added.size());
    std::vector<bool> taken(m_entries.size(), false);
    bool same = true;
    for (EntryId id : order) {
        const auto row = rows.find(id);
        if (row != rows.end() && !taken[row->second]) {
            taken[row->second] = true;
            same = same && row->second == arranged.size();
            arranged.push_back(m_entries[row->second]);
            continue;
        }
        if (HistoryEntry* entry = row == rows.end() ? joiner(id) : nullptr) {
            if (entry->captured == 0)
                entry->captured = UtcNow();
            arranged.push_back(std::move(*entry));
            same = false;
        }
    }
    for (size_t row = 0; row < m_entries.size(); ++row) {
        if (!taken[row]) {
            same = same && row == arranged.size();
            arranged.push_back(m_entries[row]);
        }
    }
    topCount = std::clamp(topCount, 0, static_cast<int>(arranged.size()));
    if (same && topCount == m_topCount)
        return false;
    m_entries.swap(arranged);
    m_topCount = topCount;
    Announce({HistoryChange::Kind::Reset, {}});
    return true;
}

void HistoryModel::Loaded()
{
    m_loading = false;
    m_topCount = std::clamp(m_topCount, 0, Count());
    Announce({HistoryChange::Kind::Reset, {}});
}

void HistoryModel::Release()
{
    m_entries.clear();
    m_topCount = 0;
    Announce({HistoryChange::Kind::Reset, {}});
}
