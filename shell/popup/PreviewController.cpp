#include "shell/popup/PreviewController.h"

#include <commctrl.h>

void PreviewController::OnListMessage(const MSG& msg)
{
    if (msg.message == WM_MOUSELEAVE) {
        m_tracking = false;
        Hide();
        return;
    }
    if (msg.message != WM_MOUSEMOVE)
        return;
    if (!m_tracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_list, 0};
        m_tracking = TrackMouseEvent(&track) != FALSE;
    }
    LVHITTESTINFO hit = {};
    hit.pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    const int row = static_cast<int>(SendMessageW(m_list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row == m_hoverRow)
        return;
    m_hoverRow = row;
    m_preview.Hide();
    if (row >= 0)
        SetTimer(m_popup, kHoverTimer, kHoverDelayMs, nullptr);
    else
        KillTimer(m_popup, kHoverTimer);
}

void PreviewController::OnHoverTimer()
{
    KillTimer(m_popup, kHoverTimer);
    if (m_hoverRow >= 0)
        ShowRow(m_hoverRow);
}

void PreviewController::ShowFocused()
{
    ShowRow(static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

void PreviewController::ShowRow(int row)
{
    const HistoryEntry* entry = row >= 0 ? m_entryAt(row) : nullptr;
    if (!entry || !IsWindowVisible(m_popup)) {
        m_preview.Hide();
        return;
    }
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (!SendMessageW(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)))
        return;
    MapWindowPoints(m_list, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    m_preview.Show(m_popup, *entry, bounds, m_look->Font(), m_look->Dpi());
}

void PreviewController::Hide()
{
    if (m_popup)
        KillTimer(m_popup, kHoverTimer);
    m_hoverRow = -1;
    m_preview.Hide();
}
