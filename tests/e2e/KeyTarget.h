#pragma once
#include "tests/e2e/DriverWindow.h"

#include <mutex>
#include <string>
#include <vector>

namespace e2e {

// A window of the driver that takes a paste the way a terminal or a form does, and says what it
// received: each key with the modifiers down at that moment, the text that a paste key
// (V or Insert, with modifiers) brought from the clipboard, and which keys its thread still holds
// down afterwards. Beside the key field, a drop-down box that selects its whole text when it gets
// the focus, as Windows' own drop-down boxes do (Wine's keep their selection).
class KeyTarget {
public:
    struct Paste {
        std::wstring keys;  // "Shift+Insert", "Ctrl+V", "Ctrl+Shift+Insert"...
        std::wstring text;  // the clipboard's text at that key
    };

    KeyTarget();

    HWND Handle() const { return m_window.Handle(); }
    HWND KeyField() const { return m_keyField; }
    HWND DropDown() const { return m_dropDown; }
    // The edit of the drop-down box, where its text is typed and selected.
    HWND DropDownEdit() const;

    // Brings it to the foreground with the focus on `control`, as a click would, and forgets
    // what it received; true once it has both.
    bool Activate(HWND control);
    std::vector<Paste> Pastes() const;
    // Every key that reached the key field, in order: "down Shift+Insert", "up Shift".
    std::vector<std::wstring> Keys() const;
    // The keys that its thread's keyboard state holds down now ("Shift", "Ctrl", "V", "#45").
    std::vector<std::wstring> KeysDown();

private:
    static LRESULT CALLBACK KeyFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnKey(HWND window, UINT message, WPARAM key);

    mutable std::mutex m_lock;
    std::vector<Paste> m_pastes;
    std::vector<std::wstring> m_keys;
    std::vector<std::wstring> m_down;
    HWND m_keyField = nullptr;
    HWND m_dropDown = nullptr;
    // Last: its thread ends before the rest goes.
    DriverWindow m_window;
};

}  // namespace e2e
