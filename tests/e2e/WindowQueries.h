#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// What another program's windows look like from outside, as a user would see them.

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// "0x1234 Notepad \"Untitled - Notepad\"" or "none", for failure messages.
std::string DescribeWindow(HWND window);
// The foreground window and the focus in its thread, described for failure messages.
std::string DescribeForeground();

// Top-level windows (hidden ones too) of a process, or of every process when processId is 0,
// with the class and the exact title given (nullptr: any).
std::vector<HWND> FindTopLevelWindows(DWORD processId, const wchar_t* className, const wchar_t* title);

RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);
// A child's window rectangle in its parent's client coordinates.
RECT RectInParentClient(HWND child, HWND parent);
bool IsTopMost(HWND window);

// The focused and the active window of the thread that owns the given window. A thread
// learns that it was activated from a message, so they can lag behind GetForegroundWindow.
HWND FocusInThreadOf(HWND window);
HWND ActiveInThreadOf(HWND window);

// Moves the keyboard focus to a window of another thread, as that thread's own SetFocus
// would (the input of the two threads is joined for the call).
bool GiveFocus(HWND window);

}  // namespace e2e
