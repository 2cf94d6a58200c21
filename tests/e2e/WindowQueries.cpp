#include "tests/e2e/WindowQueries.h"

#include <cstdio>
#include <iterator>

namespace e2e {

namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter)
{
    Search& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search.processId != 0 && owner != search.processId)
        return TRUE;
    if (search.className && ClassName(window) != search.className)
        return TRUE;
    if (search.title && WindowText(window) != search.title)
        return TRUE;
    search.found.push_back(window);
    return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window)
{
    // Long enough for any title here; GetWindowText of another process's window sends nothing.
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

std::vector<HWND> FindTopLevelWindows(DWORD processId, const wchar_t* className, const wchar_t* title)
{
    Search search{processId, className, title, {}};
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string DescribeWindow(HWND window)
{
    if (!window)
        return "none";
    char handle[32];
    snprintf(handle, sizeof(handle), "%p", static_cast<void*>(window));
    std::string text = std::string(handle) + " ";
    for (wchar_t c : ClassName(window) + L" \"" + WindowText(window) + L"\"")
        text += c < 0x80 ? static_cast<char>(c) : '?';
    return text;
}

std::string DescribeForeground()
{
    HWND foreground = GetForegroundWindow();
    return "foreground " + DescribeWindow(foreground) + ", focus there "
           + DescribeWindow(foreground ? FocusInThreadOf(foreground) : nullptr);
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

SIZE ClientSize(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

RECT RectInParentClient(HWND child, HWND parent)
{
    RECT rect = WindowRect(child);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsTopMost(HWND window)
{
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

namespace {

GUITHREADINFO ThreadInputOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return GUITHREADINFO{};
    return info;
}

}  // namespace

HWND FocusInThreadOf(HWND window)
{
    return ThreadInputOf(window).hwndFocus;
}

HWND ActiveInThreadOf(HWND window)
{
    return ThreadInputOf(window).hwndActive;
}

bool GiveFocus(HWND window)
{
    const DWORD owner = GetWindowThreadProcessId(window, nullptr);
    const DWORD self = GetCurrentThreadId();
    if (!AttachThreadInput(self, owner, TRUE))
        return false;
    SetFocus(window);
    AttachThreadInput(self, owner, FALSE);
    return FocusInThreadOf(window) == window;
}

}  // namespace e2e
