#include "shell/popup/PopupTheme.h"

#include "shell/WindowLook.h"

void PopupTheme::Attach(const Windows& windows)
{
    m_windows = windows;
    WindowLook::SetRoundCorners(windows.popup, false);
    Apply();
}

bool PopupTheme::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE) {
        if (message == WM_SYSCOLORCHANGE && m_windows.popup)
            SystemTheme::PassColourChangeToChildren(m_windows.popup);
        // The system's own handling goes on as well: the caller passes the message on.
        if (m_system.OnSettingChange(message, wParam, lParam) && m_windows.popup)
            Apply();
        return false;
    }
    if (message != WM_CTLCOLORDLG && message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC)
        return false;
    const HBRUSH brush = m_system.CtlColor(message, reinterpret_cast<HDC>(wParam));
    if (!brush)
        return false;
    result = reinterpret_cast<LRESULT>(brush);
    return true;
}

bool PopupTheme::OnListCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) const
{
    if (!m_system.IsDark())
        return false;
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
    }
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return false;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    if (ListView_GetItemState(m_windows.list, row, LVIS_SELECTED) & LVIS_SELECTED) {
        // Without the selected state the control draws the row in the colours given here.
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
        draw.clrText = m_system.Colours().selectionText;
        draw.clrTextBk = m_system.Colours().selection;
    }
    result = CDRF_DODEFAULT;
    return true;
}

void PopupTheme::Apply()
{
    const bool dark = m_system.IsDark();
    WindowLook::SetDarkCaption(m_windows.popup, dark);
    ApplyList();
    ApplyStrip();
    // The system's grey hint may not be readable on a dark field.
    if (m_windows.search)
        m_windows.search->SetCueColour(dark ? m_system.Colours().grayText : CLR_DEFAULT);
    if (m_windows.preview)
        m_windows.preview->SetColours(m_system.Colours().info, m_system.Colours().infoText);
    RedrawWindow(m_windows.popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void PopupTheme::ApplyList()
{
    const bool dark = m_system.IsDark();
    const Palette& colours = m_system.Colours();
    ListView_SetBkColor(m_windows.list, colours.list);
    ListView_SetTextColor(m_windows.list, colours.listText);
    ListView_SetTextBkColor(m_windows.list, colours.list);
    // A list that was never dark keeps its theme untouched.
    if (dark || m_wasDark)
        WindowLook::SetDarkControlTheme(m_windows.list, dark);
    m_wasDark = dark;
}

void PopupTheme::ApplyStrip()
{
    if (!m_windows.strip)
        return;
    const Palette& colours = m_system.Colours();
    CImageButton& strip = *m_windows.strip;
    strip.SetStateColor(CImageButton::ActiveFace, colours.face, FALSE);
    strip.SetStateColor(CImageButton::RestFace, colours.face, FALSE);
    strip.SetStateColor(CImageButton::FocusFace, colours.face, FALSE);
    strip.SetStateColor(CImageButton::ActiveText, colours.faceText, FALSE);
    strip.SetStateColor(CImageButton::RestText, colours.faceText, FALSE);
    strip.SetStateColor(CImageButton::FocusText, colours.faceText, FALSE);
}
