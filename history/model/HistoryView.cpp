#include "history/model/HistoryView.h"

#include <algorithm>

HistoryView::HistoryView(const HistoryModel& model) : m_model(model)
{
    Rebuild();
}

bool HistoryView::Matches(const HistoryEntry& entry)
{
    std::wstring_view searched = entry.IsPicture() || !entry.text ? entry.Label() : std::wstring_view(*entry.text);
    return ContainsAllWords(m_folder.Fold(searched), m_words);
}

bool HistoryView::Narrows(const std::vector<std::wstring>& words) const
{
    if (m_words.empty())
        return false;
    return std::all_of(m_words.begin(), m_words.end(), [&words](const std::wstring& old) {
        return std::any_of(words.begin(), words.end(),
                           [&old](const std::wstring& word) { return word.find(old) != std::wstring::npos; });
    });
}

void HistoryView::SetQuery(std::wstring query)
{
    std::vector<std::wstring> words = m_folder.FoldWords(query);
    const bool narrows = Narrows(words);
    m_query = std::move(query);
    if (words == m_words)
        return;
    m_words = std::move(words);
    if (!IsFiltered()) {
        m_matching.clear();
    } else if (narrows) {
        for (int row = 0; row < m_model.Count(); ++row) {
            const HistoryEntry& entry = m_model.At(row);
            if (m_matching.count(entry.id) && !Matches(entry))
                m_matching.erase(entry.id);
        }
    } else {
        m_matching.clear();
        for (int row = 0; row < m_model.Count(); ++row) {
            if (Matches(m_model.At(row)))
                m_matching.insert(m_model.At(row).id);
        }
    }
    Rebuild();
}

void HistoryView::OnChanged(const HistoryChange& change)
{
    if (IsFiltered()) {
        switch (change.kind) {
        case HistoryChange::Kind::Insert:
            if (change.entry && Matches(*change.entry))
                m_matching.insert(change.entry->id);
            break;
        case HistoryChange::Kind::Remove:
            for (EntryId id : change.ids)
                m_matching.erase(id);
            break;
        case HistoryChange::Kind::Clear:
            m_matching.clear();
            break;
        case HistoryChange::Kind::Reset: {
            std::wstring query = std::move(m_query);
            m_words.clear();
            m_matching.clear();
            SetQuery(std::move(query));
            return;
        }
        default:
            break;
        }
    }
    Rebuild();
}

void HistoryView::Rebuild()
{
    m_rows.clear();
    m_ids.clear();
    for (int row = 0; row < m_model.Count(); ++row) {
        const EntryId id = m_model.At(row).id;
        if (!IsFiltered() || m_matching.count(id)) {
            m_rows.push_back(row);
            m_ids.push_back(id);
        }
    }
}

int HistoryView::VisibleRowOf(EntryId id) const
{
    auto found = std::find(m_ids.begin(), m_ids.end(), id);
    return found == m_ids.end() ? -1 : static_cast<int>(found - m_ids.begin());
}
