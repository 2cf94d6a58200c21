#include "shell/popup/ClipDlg.h"

// The popup's messages: each one routed to the piece that handles it.
#include "history/clipboard/ClearAtLock.h"
#include "shell/ContextMenus.h"
#include "shell/TrayIcon.h"
#include "resource.h"

#include <wtsapi32.h>

LRESULT CClipDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_nTaskbarCreated && message != 0) {
        AddTrayIcon();
        return 0;
    }
    switch (message) {
    case DurableHistory::kReportsMessage:
        ShowSaveReports();
        return 0;
    case DurableHistory::kFullSaveMessage:
        m_durable.SaveFull();
        return 0;
    case ShareCoordinator::kReportMessage:
        m_share.OnReport();
        return 0;
    case PreviewController::kShowFocusedMessage:
        m_preview.ShowFocused();
        AnnounceFocusedRow();
        return 0;
    case ClipboardCapture::kCopiesMessage:
        m_capture.OnCopies();
        return 0;
    case ClipboardCapture::kWatchMessage:
        m_capture.OnWatch();
        return 0;
    case WM_TIMER:
        if (wParam == ClipboardCapture::kWatchTimer) {
            m_capture.OnWatchTimer();
            return 0;
        }
        if (wParam == PendingPaste::kTimer) {
            m_pendingPaste.OnTimer(m_capture.HoldsClipboard());
            return 0;
        }
        if (wParam == PreviewController::kHoverTimer) {
            m_preview.OnHoverTimer();
            return 0;
        }
        if (wParam == kForgetTimer) {
            ForgetOldEntries();
            return 0;
        }
        // No drawing held here: a hold repaints the list when it ends, and this runs every second.
        if (wParam == ShareCoordinator::kTimer) {
            m_share.OnTimer();
            return 0;
        }
        if (wParam == kReadAgainTimer) {
            // The history that could not be read at the start, once it can: the settings read with it apply.
            if (m_durable.ReadAgain())
                ApplyOptions();
            if (!m_durable.WaitingToRead())
                ::KillTimer(m_hWnd, kReadAgainTimer);
            return 0;
        }
        if (m_lockNotices.OnTimer(wParam))
            return 0;
        if (wParam == kAnnounceTimer) {
            ::KillTimer(m_hWnd, kAnnounceTimer);
            AnnounceSearch();
            return 0;
        }
        break;
    case WM_SETTINGCHANGE:
        // The text size setting, or the fonts it enlarges, may have changed; the theme looks too.
        if (m_dpi.FollowTextScale({m_search.m_hWnd, m_list.m_hWnd, m_btnOptions.m_hWnd}))
            OnSize();
        break;
    case WM_HOTKEY:
        switch (m_hotkeys.Dispatch(wParam, lParam)) {
        case PopupHotkeys::Action::Pin:
            PinForegroundTop();
            break;
        case PopupHotkeys::Action::Unpin:
            UnpinForegroundTop();
            break;
        case PopupHotkeys::Action::Summon:
            SummonAtFocus();
            break;
        case PopupHotkeys::Action::None:
            break;
        }
        break;
    case WM_TRAYNOTIFY:
        OnTrayNotify(wParam, lParam);
        return 0;
    case WM_CLOSE:
        if (!m_bExiting) {
            ShowWindow(SW_HIDE);
            return 1;
        }
        UnregisterHotkeys();
        // The exit sequence is the one way the popup ends.
        EndDialog(IDCANCEL);
        return 0;
    case WM_WTSSESSION_CHANGE:
        OnSessionChange(wParam);
        return 0;
    case WM_ENDSESSION:
        m_bSessionEnding = 1;
        ExitProgram();
        break;
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CClipDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        m_announcer.Destroy();
        m_capture.Stop();
        m_lockNotices.Stop();
        break;
    default:
        break;
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

bool CClipDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_theme.OnMessage(message, wParam, lParam, result))
        return true;
    if ((message == WM_MEASUREITEM || message == WM_DRAWITEM) && ContextMenus::OnMenuItemMessage(message, lParam)) {
        result = TRUE;
        return true;
    }
    switch (message) {
    case WM_CREATE:
        result = OnCreate(wParam, lParam);
        return true;
    case WM_SYSCOMMAND:
        OnSysCommand(wParam, lParam);
        result = 0;
        return true;
    case WM_PAINT:
        if (!OnPaint())
            return false;
        result = 0;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    case WM_DISPLAYCHANGE:
        // A monitor removed or moved may have taken the popup's place with it.
        m_monitors.OnDisplayChange(m_hWnd);
        return CDialog::OnMessage(message, wParam, lParam, result);
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA)
            m_monitors.OnDisplayChange(m_hWnd);
        return CDialog::OnMessage(message, wParam, lParam, result);
    case WM_DPICHANGED:
        if (!lParam)
            return false;
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    case WM_SIZE:
        result = CDialog::DefWindowProc(message, wParam, lParam);
        OnSize();
        return true;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
        if (lParam)
            HoldListWhileHidden(message, reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
        return CDialog::OnMessage(message, wParam, lParam, result);
    default:
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

void CClipDlg::HoldListWhileHidden(UINT message, UINT flags)
{
    // Nobody sees a hidden list, and each capture adds a row to it: drawing is
    // held once the popup has gone and resumes before it shows again.
    if (message == WM_WINDOWPOSCHANGED && (flags & SWP_HIDEWINDOW))
        m_preview.Hide();
    if (message == WM_WINDOWPOSCHANGED && (flags & SWP_HIDEWINDOW) && !m_bListHeld) {
        m_listView.HoldDrawing();
        m_bListHeld = 1;
    } else if (message == WM_WINDOWPOSCHANGING && (flags & SWP_SHOWWINDOW) && m_bListHeld) {
        m_listView.ResumeDrawing();
        m_bListHeld = 0;
    }
}

void CClipDlg::OnSysCommand(WPARAM id, LPARAM lParam)
{
    if ((id & 0xFFF0) == ID_SYSMENU_ABOUT) {
        ShowAbout();
        return;
    }
    CDialog::DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

bool CClipDlg::OnPaint()
{
    if (!IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

BOOL CClipDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->hwnd == m_list.m_hWnd)
        m_preview.OnListMessage(*msg);
    const bool moved = msg->message == WM_KEYDOWN && (msg->hwnd == m_list.m_hWnd || msg->hwnd == m_search.m_hWnd) &&
                       (msg->wParam == VK_UP || msg->wParam == VK_DOWN || msg->wParam == VK_PRIOR ||
                        msg->wParam == VK_NEXT || msg->wParam == VK_HOME || msg->wParam == VK_END);
    // The list has moved its focus by the time this arrives.
    if (moved)
        PostMessage(PreviewController::kShowFocusedMessage);
    if (m_keyboard.PreTranslate(*msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

bool CClipDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_commands.Route(wParam, lParam))
        return true;
    if (LOWORD(wParam) == IDC_EDIT_SEARCH && HIWORD(wParam) == EN_CHANGE) {
        OnSearchChanged();
        return true;
    }
    // Only the exit sequence ends the popup: the dialog manager's OK and Cancel
    // (Enter on a button, Esc, Ctrl+Break) must not end it unsaved.
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        return true;
    return CDialog::OnCommand(wParam, lParam);
}

bool CClipDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == NM_DBLCLK) {
        PasteSelectedEntries();
        result = 0;
        return true;
    }
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == LVN_GETDISPINFOW) {
        m_listView.FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
        result = 0;
        return true;
    }
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == LVN_ODFINDITEMW) {
        // Typing searches the whole text instead of jumping by first letter.
        result = -1;
        return true;
    }
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == NM_CUSTOMDRAW)
        return m_theme.OnListCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam), result);
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == NM_RCLICK) {
        ContextMenus::OnListRightClick(m_list, m_hWnd);
        result = 0;
        return true;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CClipDlg::OnSessionChange(WPARAM event)
{
    if (event == WTS_SESSION_LOCK && m_bClearOnLock)
        ClearAtLock::Run(m_history, m_capture, m_hWnd);
}
