#include "shell/popup/PopupTheme.h"

#include "shell/WindowLook.h"

namespace {

// The icons were drawn on white before any theme, whatever the system's colours.
constexpr COLORREF kLightIconGround = RGB(255, 255, 255);

}  // namespace

void PopupTheme::Attach(const Windows& windows)
{
    m_windows = windows;
    m_listBack = ListView_GetBkColor(windows.list);
    m_listText = ListView_GetTextColor(windows.list);
    m_listTextBack = ListView_GetTextBkColor(windows.list);
    WindowLook::SetRoundCorners(windows.popup, false);
    Apply();
}

bool PopupTheme::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE) {
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
    if (m_windows.preview)
        m_windows.preview->SetColours(m_system.Colours().info, m_system.Colours().infoText);
    RedrawWindow(m_windows.popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void PopupTheme::ApplyList()
{
    const bool dark = m_system.IsDark();
    const Palette& colours = m_system.Colours();
    ListView_SetBkColor(m_windows.list, dark ? colours.list : m_listBack);
    ListView_SetTextColor(m_windows.list, dark ? colours.listText : m_listText);
    ListView_SetTextBkColor(m_windows.list, dark ? colours.list : m_listTextBack);
    // A list that was never dark keeps its theme untouched.
    if (dark || m_wasDark)
        WindowLook::SetDarkControlTheme(m_windows.list, dark);
    m_wasDark = dark;
    if (m_windows.dpi)
        m_windows.dpi->SetIconGround(dark ? colours.list : kLightIconGround);
}

void PopupTheme::ApplyStrip()
{
    if (!m_windows.strip)
        return;
    const Palette& colours = m_system.Colours();
    // The strip's faces were set to the system's button face before any theme.
    const COLORREF face = m_system.IsDark() ? colours.face : GetSysColor(COLOR_BTNFACE);
    const COLORREF text = m_system.IsDark() ? colours.faceText : GetSysColor(COLOR_BTNTEXT);
    CImageButton& strip = *m_windows.strip;
    strip.SetStateColor(CImageButton::ActiveFace, face, FALSE);
    strip.SetStateColor(CImageButton::RestFace, face, FALSE);
    strip.SetStateColor(CImageButton::FocusFace, face, FALSE);
    strip.SetStateColor(CImageButton::ActiveText, text, FALSE);
    strip.SetStateColor(CImageButton::RestText, text, FALSE);
    strip.SetStateColor(CImageButton::FocusText, text, FALSE);
}
