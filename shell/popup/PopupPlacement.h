#pragma once
#include <windows.h>

#include "shell/popup/ScreenLayout.h"

// Where the popup opens at start: the stored rectangle, in the pixels of the
// monitor it was stored on, brought to the nearest work area if it would be
// out of sight; without one, the default one inside the primary monitor's
// work area, grown with its DPI.
namespace PopupPlacement {

// 190 x 290 pixels at 96 DPI, 10 pixels in from the corner of `monitor`'s work
// area (clear of a taskbar on the top or left), all scaled for its DPI.
RECT DefaultRect(const ScreenLayout::Monitor& monitor);
// `haveStored`: a settings file gave the rectangle.
RECT Choose(const RECT& stored, bool haveStored, const ScreenLayout& layout);

}  // namespace PopupPlacement
