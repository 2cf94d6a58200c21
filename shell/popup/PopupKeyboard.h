#pragma once
#include <windows.h>

#include <functional>

// What keys do in the popup, before the dialog manager sees them: Enter
// pastes (Shift+Enter the text alone, Ctrl+Shift+Enter types it), Esc clears the search query or, with none, hides the popup; typing
// anywhere in the popup goes to the search field while the arrows keep moving
// through the list; Ctrl+1 to Ctrl+9 paste the first to ninth row shown;
// Enter on "<>" presses it. The menus' commands have keys of their own (the
// text after the tab in the menus), and the Menu key or Shift+F10 opens the
// list's menu from the list or the search field.
class PopupKeyboard {
public:
    struct Actions {
        std::function<void()> paste;
        std::function<void()> pastePlainText;
        std::function<void(int row)> pasteRow;
        std::function<void()> hide;
        std::function<void()> pressOptions;
        // A menu command, as WM_COMMAND brings it.
        std::function<void(UINT command)> command;
        std::function<void()> listMenu;
        std::function<void()> typeIt;
    };
    struct Windows {
        HWND popup;
        HWND list;
        HWND search;
        HWND options;
    };

    explicit PopupKeyboard(Actions actions) : m_actions(std::move(actions)) {}
    void SetWindows(const Windows& windows) { m_windows = windows; }

    // True when the message was handled and goes no further.
    bool PreTranslate(const MSG& msg);

private:
    bool OnKeyDown(const MSG& msg);
    bool OnChar(const MSG& msg);
    // The Menu key and Shift+F10 (a system key), from the list or the search field.
    bool OnMenuKey(const MSG& msg);
    // A menu command's key; true when the key is one.
    bool OnCommandKey(const MSG& msg);
    bool HasQuery() const { return GetWindowTextLengthW(m_windows.search) > 0; }

    Actions m_actions;
    Windows m_windows = {};
};
