#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

namespace e2e {

// Clicks a mouse button (1 left, 3 right) at a point of the screen through xdotool, as a
// user would. Wine's virtual desktop covers the X screen from its origin, so screen points
// are X points.
::testing::AssertionResult ClickAt(POINT point, int button = 1);

// The middle of the part of a window that answers WM_NCHITTEST with the
// given area, for example HTCLOSE for the caption's close button; nothing when none does.
std::optional<POINT> FindHitTestArea(HWND window, LRESULT area);

}  // namespace e2e
