#include "shell/TrayIcon.h"

#include "framework/CString.h"
#include "framework/Handles.h"
#include "shell/ContextMenus.h"
#include "resource.h"

NOTIFYICONDATAW TrayIcon::MakeRemoveRecord(HWND popup)
{
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = popup;
    record.uID = kIconId;
    return record;
}

namespace {

// The tip's second line, kept for the records made after it was set.
std::wstring& TipLine()
{
    static std::wstring line;
    return line;
}

}  // namespace

NOTIFYICONDATAW TrayIcon::MakeAddRecord(HWND popup, bool paused)
{
    NOTIFYICONDATAW record = MakeRemoveRecord(popup);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAYNOTIFY;
    CString tip;
    tip.LoadString(paused ? IDS_TRAY_TIP_PAUSED : IDS_TRAY_TIP);
    std::wstring text(tip.GetString(), static_cast<size_t>(tip.GetLength()));
    if (!TipLine().empty())
        text += L"\n" + TipLine();
    lstrcpynW(record.szTip, text.c_str(), static_cast<int>(sizeof(record.szTip) / sizeof(record.szTip[0])));
    return record;
}

namespace {

// The form of the icon's messages that the shell agreed to: the keyboard's
// selection and context menu arrive only from version 3 on.
UINT g_version = 0;

// The shell keeps its own copy of the picture, drawn for the notification
// area's size (16 pixels at 96 DPI, more on a larger scale).
BOOL Notify(DWORD action, NOTIFYICONDATAW& record, bool paused)
{
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    UniqueIcon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                    MAKEINTRESOURCEW(paused ? IDI_TRAY_PAUSED : IDI_TRAY), IMAGE_ICON,
                                                    size, size, LR_DEFAULTCOLOR)));
    record.hIcon = icon.Get();
    return ::Shell_NotifyIconW(action, &record);
}

}  // namespace

BOOL TrayIcon::Add(HWND popup, bool paused)
{
    NOTIFYICONDATAW record = MakeAddRecord(popup, paused);
    const BOOL added = Notify(NIM_ADD, record, paused);
    if (!added)
        return FALSE;
    // Version 4 tells where the keyboard opened the menu; older shells know version 3 at most.
    g_version = 0;
    for (UINT version : {UINT{NOTIFYICON_VERSION_4}, UINT{NOTIFYICON_VERSION}}) {
        record.uVersion = version;
        if (::Shell_NotifyIconW(NIM_SETVERSION, &record)) {
            g_version = version;
            break;
        }
    }
    return TRUE;
}

BOOL TrayIcon::ShowPaused(HWND popup, bool paused)
{
    NOTIFYICONDATAW record = MakeAddRecord(popup, paused);
    return Notify(NIM_MODIFY, record, paused);
}

BOOL TrayIcon::SetTipLine(HWND popup, bool paused, const std::wstring& line)
{
    TipLine() = line;
    NOTIFYICONDATAW record = MakeAddRecord(popup, paused);
    record.uFlags = NIF_TIP;
    return ::Shell_NotifyIconW(NIM_MODIFY, &record);
}

BOOL TrayIcon::Remove(HWND popup)
{
    NOTIFYICONDATAW record = MakeRemoveRecord(popup);
    const BOOL removed = ::Shell_NotifyIconW(NIM_DELETE, &record);
    if (removed)
        g_version = 0;
    return removed;
}

void TrayIcon::OnNotify(HWND popup, WPARAM wParam, LPARAM lParam, const std::function<void()>& summon, bool paused)
{
    // Version 4: the event in the low word of lParam, the icon in its high word, the place in wParam.
    const bool newer = HIWORD(lParam) == kIconId;
    if (!newer && wParam != kIconId)
        return;
    const UINT event = newer ? LOWORD(lParam) : static_cast<UINT>(lParam);
    POINT at = {static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
    if (event == WM_LBUTTONDOWN || event == NIN_KEYSELECT) {
        if (summon)
            summon();
    } else if (event == WM_CONTEXTMENU && g_version != 0) {
        ContextMenus::ShowTrayMenu(popup, paused, newer ? &at : nullptr);
    } else if (LOWORD(event) == WM_RBUTTONUP && g_version == 0) {
        // Without a version the shell sends no WM_CONTEXTMENU after the release.
        ContextMenus::ShowTrayMenu(popup, paused);
    }
}

BOOL ShowTrayBalloon(HWND popup, const std::wstring& title, const std::wstring& text, bool warning)
{
    NOTIFYICONDATAW record = TrayIcon::MakeRemoveRecord(popup);
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    lstrcpynW(record.szInfoTitle, title.c_str(), static_cast<int>(sizeof(record.szInfoTitle) / sizeof(wchar_t)));
    lstrcpynW(record.szInfo, text.c_str(), static_cast<int>(sizeof(record.szInfo) / sizeof(wchar_t)));
    return ::Shell_NotifyIconW(NIM_MODIFY, &record);
}
