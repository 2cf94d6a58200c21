#pragma once
#include "framework/CListCtrl.h"
#include "history/model/HistoryModel.h"
#include "history/model/HistoryView.h"

#include <string>
#include <vector>

// The popup's list view (owner data) as a view of the history filtered by the
// search query: the control holds only a count and asks for each visible row's
// label and icon. Selections are kept by entry across changes of the history.
class HistoryListView {
public:
    // Icons of the popup's image list.
    enum Image {
        kImageText = 0,
        kImageBitmap = 1,
        kImageTextTop = 2,
        kImageBitmapTop = 3,
        kImageFiles = 4,
        kImageFilesTop = 5
    };

    HistoryListView(CListCtrl& list, HistoryModel& model);

    const HistoryView& View() const { return m_view; }
    // Filters by a new query and selects the first match, so Enter pastes it.
    void SetQuery(std::wstring query);
    const std::wstring& Query() const { return m_view.Query(); }

    // Answers LVN_GETDISPINFO: the label (as much as the buffer takes) and the icon.
    void FillDisplayInfo(LVITEMW& item) const;
    int ImageOf(int visibleRow) const;

    // The selected entries, top first.
    std::vector<EntryId> SelectedIds() const;
    std::vector<HistoryEntry> SelectedEntries() const;
    // Selects one visible row alone and gives it the focus.
    void SelectOnly(int visibleRow);
    // Brings the control up to date with the view (after the control was made).
    void Refresh();

    // Holds the control's drawing while rows change or the popup is hidden.
    // Holds nest; the control repaints once when the last one ends.
    void HoldDrawing();
    void ResumeDrawing();
    class RedrawHold {
    public:
        explicit RedrawHold(HistoryListView& view) : m_view(view) { m_view.HoldDrawing(); }
        ~RedrawHold() { m_view.ResumeDrawing(); }
        RedrawHold(const RedrawHold&) = delete;
        RedrawHold& operator=(const RedrawHold&) = delete;

    private:
        HistoryListView& m_view;
    };

    // The selection as the control holds it: rows of a view, and their entries.
    struct Selection {
        std::vector<int> rows;
        std::vector<EntryId> ids;
        int focusedRow = -1;
        EntryId focused = 0;
    };

private:
    void OnModelChanged(const HistoryChange& change);
    Selection SelectionOf(const HistoryView& view) const;
    // The selected rows below `count`, in order.
    std::vector<int> SelectedRows(int count) const;
    // Brings the control to the view: its count, and the entries selected and
    // focused before (at `before`'s rows) selected and focused where they are now.
    void Show(const Selection& before, const std::vector<EntryId>& selected, EntryId focused);

    CListCtrl& m_list;
    HistoryModel& m_model;
    HistoryView m_view;
    int m_drawingHolds = 0;
};
