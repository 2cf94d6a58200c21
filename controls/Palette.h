#pragma once
#include <windows.h>

#include <functional>
#include <vector>

// The colours every window of the program draws with: plain data, so that the
// controls take them as values and the contrast rule can be checked without a
// desktop. The light palette is the system's colours (what the program always
// drew with); the high-contrast one is the system's colours throughout; the
// dark one is fixed.
struct Palette {
    COLORREF window;             // the popup's and the dialogs' background
    COLORREF windowText;
    COLORREF list;               // the history list's rows
    COLORREF listText;
    COLORREF selection;          // a selected row
    COLORREF selectionText;
    COLORREF field;              // the search field and the dialogs' edits
    COLORREF fieldText;
    COLORREF face;               // the "<>" strip and buttons
    COLORREF faceText;
    COLORREF grayText;           // disabled items and the search field's hint
    COLORREF link;               // hyperlink labels on `window`
    COLORREF linkVisited;
    COLORREF linkHover;
    COLORREF menu;
    COLORREF menuText;
    COLORREF menuHighlight;
    COLORREF menuHighlightText;
    COLORREF info;               // the entry preview
    COLORREF infoText;
    COLORREF shadow;             // edges and separators
    COLORREF highlight;
    bool dark;

    // `sysColor` answers like GetSysColor; the default asks the system.
    static Palette Light(const std::function<COLORREF(int)>& sysColor = GetSysColor);
    // As light, with the links in the system's hot-tracking colour: nothing of our own.
    static Palette HighContrast(const std::function<COLORREF(int)>& sysColor = GetSysColor);
    static Palette Dark();

    // The palette's counterpart of a system colour (GetSysColor's index), as the
    // controls draw with it; CLR_INVALID for one the palette has none of.
    COLORREF Colour(int index) const;

    // The WCAG 2 contrast ratio of two colours, 1 to 21.
    static double Contrast(COLORREF a, COLORREF b);
    // What text must reach against its ground, and what marks (ticks, dots, frames) must.
    static constexpr double kTextContrast = 4.5;
    static constexpr double kMarkContrast = 3.0;
    // The ground for a mark in `mark`: `preferred` where the mark stands out from it, else `fallback`.
    static COLORREF MarkGround(COLORREF preferred, COLORREF fallback, COLORREF mark);

    // Each text colour with the background it is drawn on (disabled text is left
    // out, as the contrast rule leaves out inactive controls).
    struct TextPair {
        const char* what;
        COLORREF text;
        COLORREF background;
    };
    std::vector<TextPair> TextPairs() const;

    bool operator==(const Palette& other) const;
    bool operator!=(const Palette& other) const { return !(*this == other); }
};
