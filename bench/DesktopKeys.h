#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>

// What the benches that drive Quillary's popup do on the desktop as a user would.
namespace desktop {

// The keys pressed in turn and let go in reverse order, as the keyboard gives them.
bool PressKeys(std::initializer_list<WORD> keys);
// Polls `condition` each millisecond; false when `timeoutMs` passed first.
bool WaitFor(double timeoutMs, const std::function<bool()>& condition);
// The window that has the focus on `window`'s thread.
HWND FocusOf(HWND window);

}  // namespace desktop
