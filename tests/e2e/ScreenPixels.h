#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// Pixels of the screen inside `rect` (screen coordinates) whose red, green and blue are
// all below 64: text drawn black on a white list. -1 when the screen cannot be read.
int CountDarkPixels(const RECT& rect);

// The colour that most pixels inside `rect` have: the ground that things are drawn on.
// CLR_INVALID when the screen cannot be read or `rect` is empty.
COLORREF GroundColour(const RECT& rect);

// The colour inside `rect` that differs most from `ground` by `distance` (for example a
// contrast ratio): the core of the text drawn there. `ground` when nothing else is drawn.
COLORREF FarthestColour(const RECT& rect, COLORREF ground, double (*distance)(COLORREF, COLORREF));

// Saves what the screen shows inside `rect` as a 32-bit BMP file, for a person to look at.
bool SaveScreenBitmap(const RECT& rect, const std::wstring& path);

}  // namespace e2e
