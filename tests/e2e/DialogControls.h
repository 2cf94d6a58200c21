#pragma once
#include "tests/e2e/Wait.h"

#include <windows.h>

#include <string>

namespace e2e {

// Dialogs of another process, seen and worked from outside as a user or an
// accessibility tool would. Every call has a time limit.

// A visible top-level dialog of the process with the exact title; nullptr when none appears in time.
HWND WaitForDialog(DWORD processId, const wchar_t* title, std::chrono::milliseconds timeout = kWaitTimeout);
// Waits until the window is destroyed.
bool WaitUntilGone(HWND window, std::chrono::milliseconds timeout = kWaitTimeout);

// The text of a control, asked of its own thread (an edit's contents, a label's caption).
std::wstring ControlText(HWND control);
bool SetControlText(HWND control, const std::wstring& text);
// BM_GETCHECK: BST_CHECKED, BST_UNCHECKED, or -1 when the control does not answer.
int CheckState(HWND button);
// BM_CLICK, as a click of the mouse on the button would do; returns once the button's
// thread has handled it (and, for a dialog's Ok or Cancel, ended the dialog).
bool ClickButton(HWND button);
// Posts BM_CLICK and returns at once: for a button whose click opens a message box, which
// keeps the click from returning until the box is answered.
bool PostClick(HWND button);
// A visible message box of the process that the given window owns; nullptr when none appears in time.
HWND WaitForMessageBox(DWORD processId, HWND owner, std::chrono::milliseconds timeout = kWaitTimeout);
// The message of a message box.
std::wstring MessageBoxText(HWND box);
// Sends a menu command (WM_COMMAND from a menu) and returns once the window has handled
// it; only for commands that open no modal dialog. False when it does not answer in time.
bool SendCommand(HWND window, WORD id);
// Returns once the window's thread has answered a message. A thread answers sent messages
// before it takes posted ones, so this says nothing about what was posted to it.
bool Settle(HWND window, std::chrono::milliseconds timeout = kWaitTimeout);
// A child (at any depth) with the exact text; nullptr when none.
HWND FindChildWithText(HWND parent, const std::wstring& text);

}  // namespace e2e
