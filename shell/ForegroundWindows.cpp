#include "shell/ForegroundWindows.h"

#include "framework/Handles.h"

namespace foreground {

HWND FocusedWindow(HWND popup)
{
    HWND front = GetForegroundWindow();
    if (!front || front == popup)
        return nullptr;
    ThreadInputAttachment attach(GetWindowThreadProcessId(front, nullptr), GetCurrentThreadId());
    return GetFocus();
}

namespace {

// In front with the focus already: the popup's hiding mostly hands them back.
bool IsBack(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetForegroundWindow() == GetAncestor(window, GA_ROOT) &&
           GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus == window;
}

}  // namespace

void RestoreFocus(HWND window, HWND popup)
{
    // Bringing a window to the top that is there already costs a paste milliseconds.
    if (!window || window == popup || IsBack(window))
        return;
    BringWindowToTop(window);
    {
        ThreadInputAttachment attach(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
        SetFocus(window);
    }
    // Without this the target's window is not the foreground one after the popup
    // hides, and a synthesised paste reaches nobody.
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
}

void Pin()
{
    HWND front = GetForegroundWindow();
    if (!front)
        return;
    RECT rect;
    GetWindowRect(front, &rect);
    SetWindowPos(front, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
}

void Unpin()
{
    HWND front = GetForegroundWindow();
    if (front)
        SetWindowPos(front, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

bool IsTaskbar(HWND window)
{
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    wchar_t name[64] = {};
    if (!root || !GetClassNameW(root, name, static_cast<int>(sizeof(name) / sizeof(name[0]))))
        return false;
    return lstrcmpW(name, L"Shell_TrayWnd") == 0 || lstrcmpW(name, L"Shell_SecondaryTrayWnd") == 0 ||
           lstrcmpW(name, L"NotifyIconOverflowWindow") == 0;
}

}  // namespace foreground
