#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// Pixels of the screen inside `rect` (screen coordinates) whose red, green and blue are
// all below 64: text drawn black on a white list. -1 when the screen cannot be read.
int CountDarkPixels(const RECT& rect);

// Saves what the screen shows inside `rect` as a 32-bit BMP file, for a person to look at.
bool SaveScreenBitmap(const RECT& rect, const std::wstring& path);

}  // namespace e2e
