#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// One row of a list view as its control reports it.
struct ListItem {
    std::wstring text;
    int image = -1;
    UINT state = 0;  // LVIS_SELECTED, LVIS_FOCUSED, ...
};

// Reads a list view of another process from outside, as an accessibility tool would.
// Every call has a time limit; a list that does not answer reads as -1 or nothing.
class RemoteListView {
public:
    explicit RemoteListView(HWND list) : m_list(list) {}

    HWND Handle() const { return m_list; }
    int ItemCount() const;
    std::optional<ListItem> Item(int index) const;
    // Every row, top first; a row that does not answer reads as "(unreadable)" with image -1.
    std::vector<ListItem> Rows() const;
    int ColumnWidth(int column) const;
    // A part of a row (LVIR_ICON, LVIR_BOUNDS, ...) in the list's client coordinates.
    std::optional<RECT> ItemRect(int index, int part) const;
    HWND Header() const;

private:
    std::optional<LRESULT> Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND m_list;
};

}  // namespace e2e
