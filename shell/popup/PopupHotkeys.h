#pragma once
#include <windows.h>

#include <vector>

#include "framework/CString.h"
#include "shell/SummonHotkey.h"

// The popup's three global hotkeys: Ctrl+T pins the foreground window on top,
// Ctrl+Shift+T unpins it, the summon key (Ctrl+Shift+F unless the user chose
// another) brings up the popup.
class PopupHotkeys {
public:
    enum class Action { None, Pin, Unpin, Summon };

    static constexpr int kPinTopId = 110;
    static constexpr int kUnpinTopId = 123;

    // Registers the three keys; returns the names of those another program holds.
    std::vector<CString> Register(HWND popup, int summonKey);
    void Unregister();
    // What a WM_HOTKEY asks for: its id with at least its key's modifiers.
    Action Dispatch(WPARAM wParam, LPARAM lParam) const;

    SummonHotkey& Summon() { return m_summon; }

private:
    HWND m_popup = nullptr;
    SummonHotkey m_summon;
};
