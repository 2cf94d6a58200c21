#include "framework/AccessibleListView.h"

#include <oleacc.h>

long AccessibleListView::Role() const
{
    return ROLE_SYSTEM_LISTITEM;
}

bool AccessibleListView::ItemRect(int item, RECT& client) const
{
    client = {};
    client.left = LVIR_BOUNDS;
    return m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&client)) != 0;
}

long AccessibleListView::State(int item) const
{
    long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (!(m_list.GetStyle() & LVS_SINGLESEL))
        state |= STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE;
    const UINT flags = m_list.GetItemState(item, LVIS_SELECTED | LVIS_FOCUSED);
    if (flags & LVIS_SELECTED)
        state |= STATE_SYSTEM_SELECTED;
    if ((flags & LVIS_FOCUSED) && ::GetFocus() == m_list.m_hWnd)
        state |= STATE_SYSTEM_FOCUSED;
    RECT row = {};
    RECT client = {};
    m_list.GetClientRect(&client);
    RECT shown = {};
    if (!ItemRect(item, row) || !::IntersectRect(&shown, &row, &client))
        state |= STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE;
    return state;
}

bool AccessibleListView::Location(int item, RECT& screen) const
{
    if (!ItemRect(item, screen))
        return false;
    m_list.ClientToScreen(&screen);
    return true;
}

int AccessibleListView::Focused() const
{
    return m_list.GetNextItem(-1, LVNI_FOCUSED);
}

std::vector<int> AccessibleListView::Selected() const
{
    std::vector<int> rows;
    const UINT selected = m_list.GetSelectedCount();
    for (int row = selected ? m_list.GetNextItem(-1, LVNI_SELECTED) : -1; row >= 0 && rows.size() < selected;
         row = m_list.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

int AccessibleListView::HitTest(POINT screen) const
{
    POINT client = screen;
    m_list.ScreenToClient(&client);
    return m_list.HitTest(client);
}

bool AccessibleListView::Select(int item, long flags)
{
    CListCtrl& list = m_list;
    if (flags & SELFLAG_TAKEFOCUS) {
        list.SetFocus();
        if (::GetFocus() != list.m_hWnd)
            return false;
    }
    if (flags & SELFLAG_TAKESELECTION) {
        list.SetItemState(-1, 0, LVIS_SELECTED);
        list.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (flags & SELFLAG_ADDSELECTION)
        list.SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
    if (flags & SELFLAG_REMOVESELECTION)
        list.SetItemState(item, 0, LVIS_SELECTED);
    if (flags & SELFLAG_TAKEFOCUS) {
        list.SetItemState(item, LVIS_FOCUSED, LVIS_FOCUSED);
        list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    }
    return true;
}
