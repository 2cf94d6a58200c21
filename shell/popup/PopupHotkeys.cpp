#include "shell/popup/PopupHotkeys.h"

std::vector<CString> PopupHotkeys::Register(HWND popup, int summonKey)
{
    m_popup = popup;
    std::vector<CString> taken;
    if (!RegisterHotKey(popup, kPinTopId, MOD_CONTROL, 'T'))
        taken.push_back(L"Ctrl+T");
    if (!RegisterHotKey(popup, kUnpinTopId, MOD_CONTROL | MOD_SHIFT, 'T'))
        taken.push_back(L"Ctrl+Shift+T");
    if (m_summon.Register(popup, summonKey) != SummonHotkey::Result::Registered)
        taken.push_back(SummonHotkey::KeyName(summonKey));
    return taken;
}

void PopupHotkeys::Unregister()
{
    if (!m_popup)
        return;
    UnregisterHotKey(m_popup, kPinTopId);
    m_summon.Unregister();
    UnregisterHotKey(m_popup, kUnpinTopId);
}

PopupHotkeys::Action PopupHotkeys::Dispatch(WPARAM wParam, LPARAM lParam) const
{
    const int id = static_cast<int>(wParam);
    const UINT modifiers = LOWORD(lParam);
    const UINT key = HIWORD(lParam);
    const bool control = (modifiers & MOD_CONTROL) != 0;
    const bool shift = (modifiers & MOD_SHIFT) != 0;
    if (id == kPinTopId && control && key == 'T')
        return Action::Pin;
    if (id == kUnpinTopId && control && shift && key == 'T')
        return Action::Unpin;
    if (m_summon.Matches(wParam, lParam))
        return Action::Summon;
    return Action::None;
}
