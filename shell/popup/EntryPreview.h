#pragma once
#include <windows.h>

#include <string>

#include "framework/CWnd.h"
#include "history/model/HistoryEntry.h"

// The full text of an entry, or its picture, in a tooltip-like window beside
// the popup: shown for the row under the mouse or the row the keyboard moved
// to, gone when the popup hides or the pointer leaves the list.
class EntryPreview : public CWnd {
public:
    static constexpr size_t kTextLength = 2000;
    // At 96 DPI; the preview grows with the popup's DPI.
    static constexpr int kPictureBox = 256;

    // What the preview shows of a text: its first 2,000 characters (never
    // ending inside a surrogate pair), and its length when it is longer.
    static std::wstring TextOf(const std::wstring& text);
    // The first line, over the text: what the entry keeps beside it ("Kept:
    // HTML, RTF", "Kept: 3 files"), what it left out for its size and what
    // its program did not give in time; empty when it keeps nothing more than its text.
    static std::wstring HeadingOf(const EntryFormats* formats);
    // A picture's size scaled down (never up) to fit a square of `box` pixels.
    static SIZE FitWithin(SIZE picture, int box);

    // Shows `entry` beside `popup`, level with `row` (screen coordinates), in
    // the popup's font and at its DPI.
    void Show(HWND popup, const HistoryEntry& entry, const RECT& row, HFONT font, UINT dpi);
    void Hide();
    // The ground and the text colour it draws with from now on.
    void SetColours(COLORREF ground, COLORREF text);
    bool IsShowing() const { return m_hWnd && IsWindowVisible(); }
    EntryId Shown() const { return IsShowing() ? m_entry.id : 0; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool Create(HWND owner);
    SIZE Measure(HDC dc) const;
    void Paint();

    HistoryEntry m_entry;
    std::wstring m_text;
    HFONT m_font = nullptr;
    COLORREF m_ground = GetSysColor(COLOR_INFOBK);
    COLORREF m_ink = GetSysColor(COLOR_INFOTEXT);
    UINT m_dpi = 96;
};
