#pragma once
#include <windows.h>

// Work on other programs' windows: the one the user types in, giving the
// focus back to it, and keeping the foreground window on top of all others.
namespace foreground {

// The window with the keyboard focus in the foreground program, or none (also
// when `popup` itself is in front).
HWND FocusedWindow(HWND popup);
// Brings the window's program to the foreground with the focus on that window.
void RestoreFocus(HWND window, HWND popup);
void Pin();
void Unpin();
// True for a window of the taskbar itself (where the keyboard is when it reached our tray icon).
bool IsTaskbar(HWND window);

}  // namespace foreground
