#include "shell/popup/SearchField.h"

#include "framework/Handles.h"

void CSearchField::SetCue(const CString& cue)
{
    m_cue = cue;
    HandCueToSystem();
}

void CSearchField::SetCueColour(COLORREF colour)
{
    m_cueColour = colour;
    HandCueToSystem();
    if (m_hWnd)
        Invalidate(TRUE);
}

void CSearchField::HandCueToSystem()
{
    if (!m_hWnd)
        return;
    // Shown while the field is empty and unfocused, as the system shows it.
    const wchar_t* cue = m_cueColour == CLR_DEFAULT ? m_cue.GetString() : L"";
    SendMessage(EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(cue));
}

bool CSearchField::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_cueColour == CLR_DEFAULT)
        return CWnd::OnMessage(message, wParam, lParam, result);
    switch (message) {
    case WM_PAINT: {
        // What the edit paints now is all that may be painted over: outside it the hint is already there.
        UniqueHandle<HRGN, TypedGdiTraits<HRGN>> updated(CreateRectRgn(0, 0, 0, 0));
        const bool some = updated && GetUpdateRgn(m_hWnd, updated.Get(), FALSE) != ERROR;
        result = DefWindowProc(message, wParam, lParam);
        if (some)
            PaintCue(updated.Get());
        return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        result = DefWindowProc(message, wParam, lParam);
        Invalidate(TRUE);
        return true;
    default:
        return CWnd::OnMessage(message, wParam, lParam, result);
    }
}

void CSearchField::PaintCue(HRGN updated) const
{
    if (m_cue.IsEmpty() || ::GetWindowTextLengthW(m_hWnd) > 0 || ::GetFocus() == m_hWnd)
        return;
    const WindowDC dc(m_hWnd);
    if (!dc)
        return;
    RECT text = {};
    SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    SelectClipRgn(dc.Get(), updated);
    const ScopedSelect font(dc.Get(), GetFont());
    SetTextColor(dc.Get(), m_cueColour);
    SetBkMode(dc.Get(), TRANSPARENT);
    DrawTextW(dc.Get(), m_cue.GetString(), m_cue.GetLength(), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}
