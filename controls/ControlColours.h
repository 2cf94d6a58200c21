#pragma once
#include <windows.h>

#include "controls/Palette.h"

// The palette the controls draw with, handed to them by the program whenever
// the system's theme changes. Until then, and in light and high-contrast
// modes, Sys() is GetSysColor itself, so those modes draw exactly as the
// system says.
class ControlColours {
public:
    static void Use(const Palette& palette);
    static const Palette& Current();
    // GetSysColor(index), or the dark palette's counterpart of that colour.
    static COLORREF Sys(int index);
};
