#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/CWnd.h"

// The popup's search field: an edit with a grey hint while it is empty and
// unfocused. The system draws the hint in its own grey, which a dark field
// may not show at a readable contrast; given a colour, the field draws the
// hint itself in that colour instead.
class CSearchField : public CWnd {
public:
    void SetCue(const CString& cue);
    // CLR_DEFAULT: the system draws the hint again.
    void SetCueColour(COLORREF colour);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void HandCueToSystem();
    void PaintCue(HRGN updated) const;

    CString m_cue;
    COLORREF m_cueColour = CLR_DEFAULT;
};
