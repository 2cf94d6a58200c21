#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace e2e {

// The notification area ("tray") of the taskbar, seen from outside. Each icon there has
// a tooltip tool over it that carries the icon's tip; its rectangle is where the icon is
// drawn. A removed icon keeps no tool with a non-empty rectangle.

// The screen rectangle of the icon with the exact tip; when several share it, the newest
// (leftmost). Nothing when no such icon is shown.
std::optional<RECT> FindNotificationIcon(const std::wstring& tip);

// Clicks the right mouse button at a point of the screen through xdotool.
::testing::AssertionResult RightClickAt(POINT point);

POINT CenterOf(const RECT& rect);

}  // namespace e2e
