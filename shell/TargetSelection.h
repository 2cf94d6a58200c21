#pragma once
#include <windows.h>

// The selection in the control the user was typing in when the popup was
// summoned (an edit control, or the edit of a drop-down box), put back once
// the focus has returned there: drop-down boxes and many fields select their
// whole text when they get the focus back, and the paste would replace all of it.
class TargetSelection {
public:
    // How long the focus is given to arrive in the control before the selection is put back all the same.
    static constexpr DWORD kFocusWaitMs = 500;

    // Remembers the selection of `control`, when it is an edit that can say.
    void Remember(HWND control);
    // Puts the remembered selection back, once `control` (the one remembered)
    // has the focus in its thread.
    void PutBack(HWND control);

private:
    HWND m_control = nullptr;
    DWORD m_start = 0;
    DWORD m_end = 0;
};
