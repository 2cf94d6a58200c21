#pragma once
#include <windows.h>

#include "controls/Palette.h"
#include "framework/Handles.h"

// A palette's grounds as brushes, and the answer to WM_CTLCOLOR* that draws a
// dialog's ground, its labels and its edits with them. Only a dark palette
// answers: in the other modes the system's default answer stays.
class ThemeBrushes {
public:
    void Make(const Palette& palette);
    // Colours `dc` and returns the ground's brush; null when the system should answer.
    HBRUSH CtlColor(UINT message, HDC dc) const;

private:
    Palette m_palette = {};
    UniqueBrush m_window;
    UniqueBrush m_field;
};
