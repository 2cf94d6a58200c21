#pragma once
#include <windows.h>

#include <functional>

// A paste chosen while Quillary's own capture has the clipboard open, waiting
// for another program to render the copy it is reading: it runs as soon as
// the clipboard is free, so the user's Enter is not lost and the popup never
// waits. One not run within kGiveUpMs goes (the target may be long gone), and
// a new summons or the exit drops it.
class PendingPaste {
public:
    static constexpr UINT_PTR kTimer = 0x5131;
    static constexpr UINT kCheckMs = 50;
    static constexpr ULONGLONG kGiveUpMs = 15000;

    // Keeps the paste and looks again every kCheckMs on `window`'s timer.
    void Hold(HWND window, std::function<void()> paste);
    // The timer: runs the paste once the clipboard is no longer busy.
    void OnTimer(bool clipboardBusy);
    void Drop();

private:
    HWND m_window = nullptr;
    std::function<void()> m_paste;
    ULONGLONG m_since = 0;
};
