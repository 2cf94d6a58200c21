// The image button's messages: hover tracking, clicks, the attached menu,
// check state, default-button style and focus on disabling.
#include "controls/ImageButton.h"

#include <shellapi.h>

namespace {

constexpr UINT kMenuTrackFlags = TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD;

}  // namespace

bool CImageButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SETCURSOR:
        if (!m_cursor)
            return false;
        ::SetCursor(m_cursor);
        result = TRUE;
        return true;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_ACTIVATE:
        result = OnHoverMessage(message, wParam, lParam);
        return true;
    case WM_SYSCOLORCHANGE:
        result = DefWindowProc(message, wParam, lParam);
        OnSysColorChange();
        return true;
    case WM_ENABLE:
        result = DefWindowProc(message, wParam, lParam);
        OnEnable(static_cast<BOOL>(wParam));
        return true;
    case WM_MENUCHAR:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        return OnMenuMessage(message, wParam, lParam, result);
    case WM_GETDLGCODE:
        result = DefWindowProc(message, wParam, lParam) | (m_defaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return true;
    case BM_SETSTYLE:
        result = OnSetStyle(wParam, lParam);
        return true;
    case BM_SETCHECK:
        SetChecked(wParam == BST_CHECKED || wParam == BST_INDETERMINATE, TRUE);
        result = 0;
        return true;
    case BM_GETCHECK:
        result = IsChecked();
        return true;
    default:
        return CButton::OnMessage(message, wParam, lParam, result);
    }
}

LRESULT CImageButton::OnHoverMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSELEAVE) {
        EndHover();
        return 0;
    }
    LRESULT result = DefWindowProc(message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            EndHover();
        break;
    default:  // WM_KILLFOCUS, WM_CANCELMODE
        EndHover();
        break;
    }
    return result;
}

bool CImageButton::OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_MENUCHAR) {
        CMenu* menu = CMenu::FromHandle(reinterpret_cast<HMENU>(lParam));
        if (!KelvoMenu::IsOwnMenu(menu))
            return false;
        result = KelvoMenu::MenuCharLookup(LOWORD(wParam), HIWORD(wParam), menu);
        return true;
    }
    bool handled = message == WM_MEASUREITEM ? OnMenuMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))
                                             : OnMenuDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    if (!handled)
        return CButton::OnMessage(message, wParam, lParam, result);
    result = TRUE;
    return true;
}

LRESULT CImageButton::OnSetStyle(WPARAM style, LPARAM redraw)
{
    UINT type = static_cast<UINT>(style) & 0x1F;
    if (type == BS_DEFPUSHBUTTON)
        m_defaultButton = TRUE;
    else if (type == BS_PUSHBUTTON)
        m_defaultButton = FALSE;
    // Stay owner-drawn whatever the dialog manager asks for.
    return DefWindowProc(BM_SETSTYLE, (style & ~static_cast<WPARAM>(0x14)) | BS_OWNERDRAW, redraw);
}

bool CImageButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        // FALSE lets the parent receive the click as well.
        return OnClicked() != FALSE;
    }
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    return CButton::OnChildNotify(message, wParam, lParam, result);
}

bool CImageButton::OnMenuMeasureItem(MEASUREITEMSTRUCT* item)
{
    if (!item || item->CtlType != ODT_MENU)
        return false;
    HMENU popup = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item->itemID));
    if (::IsMenu(popup) && KelvoMenu::IsOwnMenu(popup)) {
        m_menu.MeasureItem(item);
        return true;
    }
    // A command item: the menu level that holds it measures it.
    int position = -1;
    CMenu* level = m_menu.m_hMenu ? m_menu.FindCommand(item->itemID, position) : nullptr;
    if (!level)
        return false;
    level->MeasureItem(item);
    return true;
}

bool CImageButton::OnMenuDrawItem(DRAWITEMSTRUCT* item)
{
    // Items of the dropped-down menu are drawn by their menu object.
    CMenu* menu = item && item->CtlType == ODT_MENU
                      ? CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(item->hwndItem))
                      : nullptr;
    if (!menu)
        return false;
    menu->DrawItem(item);
    return true;
}

BOOL CImageButton::OnClicked()
{
    SetFocus();
    if (m_checkBox) {
        m_checked = !m_checked;
        Invalidate(TRUE);
    } else if (m_menu.m_hMenu) {
        RECT window = {};
        GetWindowRect(&window);
        m_menuOpen = TRUE;
        Invalidate(TRUE);
        CMenu* popup = m_menu.GetSubMenu(0);
        UINT command = popup ? static_cast<UINT>(popup->TrackPopupMenu(kMenuTrackFlags, window.left, window.bottom, this))
                             : 0;
        m_menuOpen = FALSE;
        Invalidate(TRUE);
        if (command)
            ::PostMessageW(m_menuTarget, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else if (m_target[0]) {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = m_target;
        info.nShow = SW_SHOWMAXIMIZED;
        ::ShellExecuteExW(&info);
    }
    return FALSE;
}

void CImageButton::OnMouseMove(WPARAM flags, LPARAM point)
{
    POINT at = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ClientToScreen(&at);
    HWND under = ::WindowFromPoint(at);
    if ((flags & MK_LBUTTON) && !m_hovering)
        return;
    if (!m_flat)
        return;
    HWND reference = m_hoverAnywhere ? m_hWnd : ::GetActiveWindow();
    if (under == m_hWnd && reference) {
        if (m_hovering)
            return;
        m_hovering = TRUE;
        Invalidate(TRUE);
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        ::_TrackMouseEvent(&track);
    } else {
        EndHover();
    }
}

void CImageButton::OnEnable(BOOL enable)
{
    if (!enable) {
        HWND parent = ::GetParent(m_hWnd);
        HWND next = ::GetNextDlgTabItem(parent, m_hWnd, FALSE);
        ::SetFocus(next ? next : parent);
    }
    EndHover();
}
