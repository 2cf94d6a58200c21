#pragma once
#include "framework/CString.h"

#include <windows.h>

// The global hotkey that summons the popup: one registration, id 111, on the
// popup's window. Keys are hot-key control words (HKM_GETHOTKEY: virtual key
// in the low byte, HOTKEYF_* in the high byte). A change never leaves the
// popup without its key: a key that cannot be had is refused and the key in
// force stays registered.
class SummonHotkey {
public:
    static constexpr int kHotkeyId = 111;

    enum class Result {
        Registered,
        NoKey,       // no virtual key
        NoModifier,  // neither Ctrl, Alt nor Shift
        Taken,       // another program (or window) holds it
    };

    SummonHotkey() = default;
    ~SummonHotkey() { Unregister(); }
    SummonHotkey(const SummonHotkey&) = delete;
    SummonHotkey& operator=(const SummonHotkey&) = delete;

    // Registers `key` for `window`, replacing any registration of this object.
    // The key is remembered as the one in force even when it is refused.
    Result Register(HWND window, int key);
    // Registers `key` in place of the key in force. When `key` is refused, the
    // key in force stays registered (and stays the key in force).
    Result Change(int key);
    void Unregister();

    int Key() const { return m_key; }
    bool IsRegistered() const { return m_registered; }
    // True for the WM_HOTKEY of this registration: its id and key, with at
    // least the key's modifiers present.
    bool Matches(WPARAM wParam, LPARAM lParam) const;

    // "Ctrl+Shift+F", "Alt+F9", "Ctrl+Page Down".
    static CString KeyName(int key);
    // What to tell the user when `refused` was turned down while `inForce`
    // stays the summon key; names both keys.
    static CString RefusalMessage(Result result, int refused, int inForce);

private:
    // Checks the key itself, then asks the system for it under `id`.
    Result TryRegister(int id, int key) const;

    HWND m_window = nullptr;
    int m_key = 0;
    bool m_registered = false;
};
