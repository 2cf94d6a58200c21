#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

// The private message with which the tray icon reports mouse actions to the popup.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 10;

// The popup's icon in the notification area. The record is built afresh for
// each call; the shell knows the icon by the popup window and the id 128.
class TrayIcon {
public:
    static constexpr UINT kIconId = 128;

    // While recording is paused the icon and its tip say so.
    static NOTIFYICONDATAW MakeAddRecord(HWND popup, bool paused = false);
    static NOTIFYICONDATAW MakeRemoveRecord(HWND popup);
    static BOOL Add(HWND popup, bool paused = false);
    static BOOL Remove(HWND popup);
    // Changes the shown icon and tip to say whether recording is paused.
    static BOOL ShowPaused(HWND popup, bool paused);
    // A second line under the tip (how the history is shared); it stays through pauses.
    static BOOL SetTipLine(HWND popup, bool paused, const std::wstring& line);

    // A WM_TRAYNOTIFY: a left button press on our icon, or its selection with
    // the keyboard (Enter or Space), runs `summon`; the icon's context menu (a
    // right click, Shift+F10 or the Menu key) opens the tray menu, owned by the
    // popup. Where the shell speaks the newer form of these messages (the
    // event and icon in lParam, where it happened in wParam), that is read too.
    static void OnNotify(HWND popup, WPARAM wParam, LPARAM lParam, const std::function<void()>& summon,
                         bool paused = false);
};

// A balloon over the icon: how the program tells the user about a problem it
// cannot solve alone (a save that failed, a hotkey held by another program).
BOOL ShowTrayBalloon(HWND popup, const std::wstring& title, const std::wstring& text, bool warning);
