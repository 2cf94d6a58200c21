#include "shell/popup/PopupKeyboard.h"

#include "resource.h"

namespace {

bool IsDown(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

// Keys that move through the list, from wherever the focus is.
bool IsListMove(WPARAM key)
{
    return key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT;
}

// The keys the menus show beside their commands.
struct CommandKey {
    WPARAM key;
    bool ctrl;
    bool shift;
    // Delete edits the search query; it removes entries from the list only.
    bool listOnly;
    UINT command;
};

const CommandKey kCommandKeys[] = {
    {'P', true, false, false, ID_MENU_SET_TOP},
    {VK_DELETE, false, false, true, ID_MENU_DELETE},
    {VK_DELETE, true, true, false, ID_MENU_CLEAR_ALL},
    {'O', true, false, false, ID_MENU_OPTION},
    {VK_F1, false, false, false, ID_MENU_HELP},
};

}  // namespace

bool PopupKeyboard::PreTranslate(const MSG& msg)
{
    if (OnMenuKey(msg))
        return true;
    if (msg.message == WM_KEYDOWN)
        return OnKeyDown(msg);
    if (msg.message == WM_CHAR)
        return OnChar(msg);
    return false;
}

bool PopupKeyboard::OnMenuKey(const MSG& msg)
{
    if (msg.hwnd != m_windows.list && msg.hwnd != m_windows.search)
        return false;
    const bool apps = msg.wParam == VK_APPS && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP);
    const bool shiftF10 = msg.wParam == VK_F10 && IsDown(VK_SHIFT) &&
                          (msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP);
    if (!apps && !shiftF10)
        return false;
    // The key's release is taken too: left alone it would open the search field's own menu.
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        m_actions.listMenu();
    return true;
}

bool PopupKeyboard::OnCommandKey(const MSG& msg)
{
    const bool ctrl = IsDown(VK_CONTROL);
    const bool shift = IsDown(VK_SHIFT);
    if (IsDown(VK_MENU))
        return false;
    for (const CommandKey& key : kCommandKeys) {
        if (key.key != msg.wParam || key.ctrl != ctrl || key.shift != shift)
            continue;
        if (key.listOnly && msg.hwnd != m_windows.list)
            return false;
        m_actions.command(key.command);
        return true;
    }
    return false;
}

bool PopupKeyboard::OnKeyDown(const MSG& msg)
{
    const WPARAM key = msg.wParam;
    if (key >= '1' && key <= '9' && IsDown(VK_CONTROL) && !IsDown(VK_MENU)) {
        m_actions.pasteRow(static_cast<int>(key - '1'));
        return true;
    }
    if (OnCommandKey(msg))
        return true;
    switch (key) {
    case VK_RETURN:
        if (msg.hwnd == m_windows.list || msg.hwnd == m_windows.search) {
            if (IsDown(VK_SHIFT) && IsDown(VK_CONTROL))
                m_actions.typeIt();
            else if (IsDown(VK_SHIFT))
                m_actions.pastePlainText();
            else
                m_actions.paste();
            return true;
        }
        if (msg.hwnd == m_windows.options) {
            m_actions.pressOptions();
            return true;
        }
        return msg.hwnd == m_windows.popup;
    case VK_ESCAPE:
        if (HasQuery())
            SetWindowTextW(m_windows.search, L"");
        else
            m_actions.hide();
        return true;
    default:
        if (msg.hwnd == m_windows.search && IsListMove(key)) {
            SendMessageW(m_windows.list, WM_KEYDOWN, key, msg.lParam);
            return true;
        }
        return false;
    }
}

bool PopupKeyboard::OnChar(const MSG& msg)
{
    // Printable characters and Backspace typed on the list edit the query.
    const wchar_t ch = static_cast<wchar_t>(msg.wParam);
    if (msg.hwnd != m_windows.list || (ch < L' ' && ch != L'\b') || ch == 0x7F)
        return false;
    const int end = GetWindowTextLengthW(m_windows.search);
    SendMessageW(m_windows.search, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(m_windows.search, WM_CHAR, msg.wParam, msg.lParam);
    return true;
}
