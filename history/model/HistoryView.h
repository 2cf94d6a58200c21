#pragma once
#include "history/model/HistoryModel.h"
#include "history/model/TextFolder.h"

#include <string>
#include <unordered_set>
#include <vector>

// The rows of the history that the list shows: all of them, or with a query
// the entries whose full text (a picture's label) contains every word of it,
// ignoring case and accents. The history's order and its top zone are kept.
class HistoryView {
public:
    explicit HistoryView(const HistoryModel& model);

    // Filters by a new query. When it only narrows the last one (each of the
    // last query's words is part of a new word), only the last matches are searched.
    void SetQuery(std::wstring query);
    const std::wstring& Query() const { return m_query; }
    bool IsFiltered() const { return !m_words.empty(); }

    // Follows a change of the model (made just before).
    void OnChanged(const HistoryChange& change);

    int Count() const { return static_cast<int>(m_ids.size()); }
    int ModelRow(int visibleRow) const { return m_rows[static_cast<size_t>(visibleRow)]; }
    EntryId IdAt(int visibleRow) const { return m_ids[static_cast<size_t>(visibleRow)]; }
    const HistoryEntry& At(int visibleRow) const { return m_model.At(ModelRow(visibleRow)); }
    // The visible row of an entry, or -1.
    int VisibleRowOf(EntryId id) const;

private:
    bool Matches(const HistoryEntry& entry);
    bool Narrows(const std::vector<std::wstring>& words) const;
    void Rebuild();

    const HistoryModel& m_model;
    std::wstring m_query;
    std::vector<std::wstring> m_words;
    std::unordered_set<EntryId> m_matching;  // with a query: the entries that match it
    std::vector<int> m_rows;                 // model rows shown, top first
    std::vector<EntryId> m_ids;              // their ids
    TextFolder m_folder;
};
