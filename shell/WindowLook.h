#pragma once
#include <windows.h>

// What the system draws of a window beyond its client area: the caption's
// colours, the corners, a control's scroll bars. Each call is looked up at run
// time (dwmapi.dll, uxtheme.dll) and does nothing where the system lacks it,
// so the program imports nothing new and runs the same without them.
namespace WindowLook {

// A dark caption (DWMWA_USE_IMMERSIVE_DARK_MODE) or the usual one.
bool SetDarkCaption(HWND window, bool dark);
// Windows 11's rounded corners (DWMWA_WINDOW_CORNER_PREFERENCE); `small` for tooltip-like windows.
bool SetRoundCorners(HWND window, bool small);
// The dark theme of a control's scroll bars, or its usual theme. "DarkMode_Explorer"
// is the only way the system offers; a system without it keeps the usual look.
bool SetDarkControlTheme(HWND control, bool dark);
// A control drawn without visual styles, or with its usual theme again. Themed tick
// boxes ignore the text colour their parent gives; unthemed ones draw with it.
bool SetUnthemed(HWND control, bool unthemed);

}  // namespace WindowLook
