#pragma once
#include <windows.h>

#include "shell/SystemTheme.h"

// Dresses a dialog in the system's theme: its caption, its ground, its labels
// and edits. It follows a theme switch while the dialog is open, on its own:
// the popup may hear of the switch after the dialog does.
class DialogTheme {
public:
    void Attach(HWND dialog);
    // Call after the dialog's children had their WM_CTLCOLOR* (link labels answer their own).
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void Apply();

    HWND m_dialog = nullptr;
    SystemTheme m_system;
    bool m_wasDark = false;
};
