#include "shell/popup/HistoryListView.h"

#include <algorithm>
#include <cwchar>
#include <unordered_map>
#include <unordered_set>

HistoryListView::HistoryListView(CListCtrl& list, HistoryModel& model) : m_list(list), m_model(model), m_view(model)
{
    m_model.AddListener([this](const HistoryChange& change) { OnModelChanged(change); });
}

void HistoryListView::HoldDrawing()
{
    if (m_drawingHolds++ == 0 && m_list.m_hWnd)
        m_list.SendMessage(WM_SETREDRAW, FALSE);
}

void HistoryListView::ResumeDrawing()
{
    if (m_drawingHolds == 0 || --m_drawingHolds > 0 || !m_list.m_hWnd)
        return;
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
}

int HistoryListView::ImageOf(int visibleRow) const
{
    const int row = m_view.ModelRow(visibleRow);
    const HistoryEntry& entry = m_model.At(row);
    const bool top = row < m_model.TopCount();
    if (entry.IsPicture())
        return top ? kImageBitmapTop : kImageBitmap;
    if (entry.IsFiles())
        return top ? kImageFilesTop : kImageFiles;
    return top ? kImageTextTop : kImageText;
}

void HistoryListView::FillDisplayInfo(LVITEMW& item) const
{
    if (item.iItem < 0 || item.iItem >= m_view.Count())
        return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring_view label = m_view.At(item.iItem).Label();
        size_t length = std::min(label.size(), static_cast<size_t>(item.cchTextMax) - 1);
        // A label cut by a short buffer does not end inside a surrogate pair.
        if (length < label.size() && length > 0 && label[length - 1] >= 0xD800 && label[length - 1] <= 0xDBFF)
            --length;
        std::wmemcpy(item.pszText, label.data(), length);
        item.pszText[length] = L'\0';
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = ImageOf(item.iItem);
}

HistoryListView::Selection HistoryListView::SelectionOf(const HistoryView& view) const
{
    Selection selection;
    if (!m_list.m_hWnd)
        return selection;
    const int count = view.Count();
    for (int row : SelectedRows(count)) {
        selection.rows.push_back(row);
        selection.ids.push_back(view.IdAt(row));
    }
    selection.focusedRow = m_list.GetNextItem(-1, LVNI_FOCUSED);
    if (selection.focusedRow >= 0 && selection.focusedRow < count)
        selection.focused = view.IdAt(selection.focusedRow);
    return selection;
}

std::vector<EntryId> HistoryListView::SelectedIds() const
{
    return SelectionOf(m_view).ids;
}

std::vector<HistoryEntry> HistoryListView::SelectedEntries() const
{
    std::vector<HistoryEntry> entries;
    if (!m_list.m_hWnd)
        return entries;
    for (int row : SelectedRows(m_view.Count()))
        entries.push_back(m_view.At(row));
    return entries;
}

std::vector<int> HistoryListView::SelectedRows(int count) const
{
    // Each search for the next selected row walks the rows after it: stopping
    // at the selected count spares a walk to the end on every change.
    std::vector<int> rows;
    const UINT selected = m_list.GetSelectedCount();
    for (int row = selected ? m_list.GetNextItem(-1, LVNI_SELECTED) : -1; row >= 0 && row < count;
         row = rows.size() < selected ? m_list.GetNextItem(row, LVNI_SELECTED) : -1)
        rows.push_back(row);
    return rows;
}

namespace {

// Where entries are now, given their rows before a change. A capture or a
// delete moves the few selected rows by a place or two: those are looked for
// outward from their old rows, without a pass over every row. Many entries
// (Set top on a large selection) are looked up in a map of all rows.
class RowFinder {
public:
    RowFinder(const HistoryView& view, const HistoryListView::Selection& before, size_t wanted)
        : m_view(view), m_before(before)
    {
        if (wanted <= kNearSearchLimit)
            return;
        for (int row = 0; row < m_view.Count(); ++row)
            m_rows.emplace(m_view.IdAt(row), row);
    }

    int Find(EntryId id) const
    {
        if (!m_rows.empty() || m_view.Count() == 0) {
            auto found = m_rows.find(id);
            return found == m_rows.end() ? -1 : found->second;
        }
        return FindNear(id, OldRow(id));
    }

private:
    static constexpr size_t kNearSearchLimit = 16;

    int OldRow(EntryId id) const
    {
        if (id == m_before.focused)
            return m_before.focusedRow;
        for (size_t i = 0; i < m_before.ids.size(); ++i) {
            if (m_before.ids[i] == id)
                return m_before.rows[i];
        }
        return 0;
    }

    int FindNear(EntryId id, int hint) const
    {
        const int count = m_view.Count();
        hint = std::clamp(hint, 0, count - 1);
        for (int distance = 0; hint - distance >= 0 || hint + distance < count; ++distance) {
            if (hint + distance < count && m_view.IdAt(hint + distance) == id)
                return hint + distance;
            if (distance > 0 && hint - distance >= 0 && m_view.IdAt(hint - distance) == id)
                return hint - distance;
        }
        return -1;
    }

    const HistoryView& m_view;
    const HistoryListView::Selection& m_before;
    std::unordered_map<EntryId, int> m_rows;
};

}  // namespace

void HistoryListView::Show(const Selection& before, const std::vector<EntryId>& selected, EntryId focused)
{
    if (!m_list.m_hWnd)
        return;
    m_list.SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(m_view.Count()), LVSICF_NOSCROLL);
    // The control keeps selection by row and the rows moved: the old rows are
    // cleared one by one (clearing all rows costs one step per row) and the
    // entries selected again where they are now.
    for (int row : before.rows) {
        if (row < m_view.Count())
            m_list.SetItemState(row, 0, LVIS_SELECTED);
    }
    if (before.focusedRow >= 0 && before.focusedRow < m_view.Count())
        m_list.SetItemState(before.focusedRow, 0, LVIS_FOCUSED);
    if (!selected.empty() || focused) {
        const RowFinder rows(m_view, before, selected.size() + 1);
        for (EntryId id : selected) {
            const int row = rows.Find(id);
            if (row >= 0)
                m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
        const int row = focused ? rows.Find(focused) : -1;
        if (row >= 0)
            m_list.SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (!m_drawingHolds)
        m_list.Invalidate();
}

void HistoryListView::OnModelChanged(const HistoryChange& change)
{
    const Selection before = SelectionOf(m_view);
    std::vector<EntryId> selected = before.ids;
    m_view.OnChanged(change);
    if (change.kind == HistoryChange::Kind::SetTop) {
        // Entries moved into the top zone arrive unselected.
        const std::unordered_set<EntryId> moved(change.ids.begin(), change.ids.end());
        selected.erase(std::remove_if(selected.begin(), selected.end(),
                                      [&moved](EntryId id) { return moved.count(id) > 0; }),
                       selected.end());
    }
    Show(before, selected, before.focused);
}

void HistoryListView::SetQuery(std::wstring query)
{
    const Selection before = SelectionOf(m_view);
    m_view.SetQuery(std::move(query));
    Show(before, {}, 0);
    if (m_view.Count() > 0)
        SelectOnly(0);
}

void HistoryListView::SelectOnly(int visibleRow)
{
    if (!m_list.m_hWnd || visibleRow < 0 || visibleRow >= m_view.Count())
        return;
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    m_list.SetItemState(visibleRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.SendMessage(LVM_SETSELECTIONMARK, 0, visibleRow);
    m_list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(visibleRow), FALSE);
}

void HistoryListView::Refresh()
{
    Show(SelectionOf(m_view), {}, 0);
}
