#pragma once
#include <windows.h>

namespace e2e {

// Pixels of the screen inside `rect` (screen coordinates) whose red, green and blue are
// all below 64: text drawn black on a white list. -1 when the screen cannot be read.
int CountDarkPixels(const RECT& rect);

}  // namespace e2e
