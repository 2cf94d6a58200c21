#include "shell/SummonHotkey.h"

#include "resource.h"

#include <commctrl.h>

namespace {

// A spare id (top of the applications' range) under which a new key is tried
// while the key in force stays registered under the real id.
constexpr int kProbeId = 0xBFFF;

UINT VirtualKey(int key) { return LOBYTE(key); }

// The Ctrl, Alt and Shift of a hot-key control word as RegisterHotKey wants them.
UINT Modifiers(int key)
{
    const BYTE flags = HIBYTE(key);
    UINT modifiers = 0;
    if (flags & HOTKEYF_CONTROL)
        modifiers |= MOD_CONTROL;
    if (flags & HOTKEYF_ALT)
        modifiers |= MOD_ALT;
    if (flags & HOTKEYF_SHIFT)
        modifiers |= MOD_SHIFT;
    return modifiers;
}

struct NamedKey {
    UINT virtualKey;
    const wchar_t* name;
};

// Keys whose scan code the numeric keypad shares, and a few whose names the
// keyboard layout words differently: the names users read on the keys.
const NamedKey kNamedKeys[] = {
    {VK_SPACE, L"Space"},   {VK_TAB, L"Tab"},         {VK_RETURN, L"Enter"},        {VK_ESCAPE, L"Esc"},
    {VK_BACK, L"Backspace"}, {VK_INSERT, L"Insert"},  {VK_DELETE, L"Delete"},       {VK_HOME, L"Home"},
    {VK_END, L"End"},       {VK_PRIOR, L"Page Up"},   {VK_NEXT, L"Page Down"},      {VK_LEFT, L"Left"},
    {VK_RIGHT, L"Right"},   {VK_UP, L"Up"},           {VK_DOWN, L"Down"},           {VK_PAUSE, L"Pause"},
    {VK_SNAPSHOT, L"Print Screen"},
};

CString VirtualKeyName(UINT virtualKey, bool extended)
{
    CString name;
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        name += static_cast<wchar_t>(virtualKey);
        return name;
    }
    if (virtualKey >= VK_F1 && virtualKey <= VK_F24) {
        name.Format(L"F%u", virtualKey - VK_F1 + 1);
        return name;
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) {
        name.Format(L"Num %u", virtualKey - VK_NUMPAD0);
        return name;
    }
    for (const NamedKey& named : kNamedKeys) {
        if (named.virtualKey == virtualKey)
            return named.name;
    }
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    wchar_t text[64] = {};
    const LONG keyData = static_cast<LONG>((scanCode << 16) | (extended ? 1u << 24 : 0u));
    if (scanCode != 0 && GetKeyNameTextW(keyData, text, static_cast<int>(sizeof text / sizeof text[0])) > 0)
        return text;
    name.Format(L"Key 0x%02X", virtualKey);
    return name;
}

}  // namespace

SummonHotkey::Result SummonHotkey::TryRegister(int id, int key) const
{
    if (VirtualKey(key) == 0)
        return Result::NoKey;
    if (Modifiers(key) == 0)
        return Result::NoModifier;
    return RegisterHotKey(m_window, id, Modifiers(key), VirtualKey(key)) ? Result::Registered : Result::Taken;
}

SummonHotkey::Result SummonHotkey::Register(HWND window, int key)
{
    Unregister();
    m_window = window;
    m_key = key;
    const Result result = TryRegister(kHotkeyId, key);
    m_registered = result == Result::Registered;
    return result;
}

SummonHotkey::Result SummonHotkey::Change(int key)
{
    const bool sameKey = VirtualKey(key) == VirtualKey(m_key) && Modifiers(key) == Modifiers(m_key);
    if (m_registered && sameKey) {
        m_key = key;
        return Result::Registered;
    }
    if (!m_registered) {
        const Result result = TryRegister(kHotkeyId, key);
        if (result == Result::Registered) {
            m_key = key;
            m_registered = true;
        }
        return result;
    }
    const Result probe = TryRegister(kProbeId, key);
    if (probe != Result::Registered)
        return probe;
    UnregisterHotKey(m_window, kProbeId);
    UnregisterHotKey(m_window, kHotkeyId);
    if (!RegisterHotKey(m_window, kHotkeyId, Modifiers(key), VirtualKey(key))) {
        // Taken by someone else in the moment between: the old key goes back.
        m_registered = RegisterHotKey(m_window, kHotkeyId, Modifiers(m_key), VirtualKey(m_key)) != FALSE;
        return Result::Taken;
    }
    m_key = key;
    return Result::Registered;
}

void SummonHotkey::Unregister()
{
    if (m_registered)
        UnregisterHotKey(m_window, kHotkeyId);
    m_registered = false;
}

bool SummonHotkey::Matches(WPARAM wParam, LPARAM lParam) const
{
    const UINT modifiers = Modifiers(m_key);
    return m_registered && static_cast<int>(wParam) == kHotkeyId && HIWORD(lParam) == VirtualKey(m_key) &&
           (LOWORD(lParam) & modifiers) == modifiers;
}

CString SummonHotkey::KeyName(int key)
{
    const BYTE flags = HIBYTE(key);
    CString name;
    if (flags & HOTKEYF_CONTROL)
        name += L"Ctrl+";
    if (flags & HOTKEYF_ALT)
        name += L"Alt+";
    if (flags & HOTKEYF_SHIFT)
        name += L"Shift+";
    return name + VirtualKeyName(VirtualKey(key), (flags & HOTKEYF_EXT) != 0);
}

CString SummonHotkey::RefusalMessage(Result result, int refused, int inForce)
{
    CString format;
    CString message;
    switch (result) {
    case Result::NoKey:
        format.LoadString(IDS_HOTKEY_NO_KEY);
        message.Format(format, KeyName(inForce).GetString());
        return message;
    case Result::NoModifier:
        format.LoadString(IDS_HOTKEY_NO_MODIFIER);
        break;
    case Result::Taken:
        format.LoadString(IDS_HOTKEY_TAKEN);
        break;
    case Result::Registered:
        return message;
    }
    message.Format(format, KeyName(refused).GetString(), KeyName(inForce).GetString());
    return message;
}
