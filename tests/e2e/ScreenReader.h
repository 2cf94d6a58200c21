#pragma once
#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// What a screen reader reads of a window, or of one item inside it, through
// the window's accessible object (AccessibleObjectFromWindow, as readers ask).
struct Readout {
    std::wstring name;
    std::wstring description;
    std::wstring value;
    std::wstring keyboardShortcut;
    std::wstring defaultAction;
    long role = 0;
    long state = 0;
    long children = 0;
};

// Reads other programs' windows as a screen reader does. COM is on for this
// thread while the object lives.
class ScreenReader {
public:
    ScreenReader();
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // The window's client area (child 0) or its item `child` (1, 2, ...); nothing when the window gives no object.
    std::optional<Readout> Read(HWND window, long child = CHILDID_SELF) const;
    // Asks for the default action (a reader's "click"): true when the object took the request.
    bool DoDefaultAction(HWND window, long child = CHILDID_SELF) const;
    // The object of the window, kept as a reader keeps it after the window may have gone.
    IAccessible* Hold(HWND window) const;

private:
    bool m_com;
};

// The names that accessibility events of one kind from one process carry,
// heard as an out-of-context hook hears them (the name is read at the event).
class EventListener {
public:
    EventListener(DWORD processId, DWORD event);
    ~EventListener();
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    std::vector<std::wstring> Heard() const { return m_heard; }
    // Waits (handling the hook's calls) until `name` has been heard.
    bool WaitToHear(const std::wstring& name) const;

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD,
                                 DWORD);
    HWINEVENTHOOK m_hook = nullptr;
    std::vector<std::wstring> m_heard;
};

}  // namespace e2e
