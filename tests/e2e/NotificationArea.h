#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The notification area ("tray") of the taskbar, seen from outside. Each icon there has
// a tooltip tool over it that carries the icon's tip; its rectangle is where the icon is
// drawn. A removed icon keeps no tool with a non-empty rectangle.

// The screen rectangle of the icon with the exact tip; when several share it, the newest
// (leftmost). Nothing when no such icon is shown.
std::optional<RECT> FindNotificationIcon(const std::wstring& tip);

// The texts of the balloons shown over the icons at this moment: balloon tooltips of the
// taskbar. Wine's taskbar shows one at a time, some seconds after it was asked, for ten
// seconds or more, and takes it away with its icon. Wine's tooltips do not answer
// TTM_GETTITLE, so a balloon's title cannot be read from outside.
std::vector<std::wstring> ShownBalloonTexts();

// Clicks the right mouse button at a point of the screen through xdotool.
::testing::AssertionResult RightClickAt(POINT point);

POINT CenterOf(const RECT& rect);

}  // namespace e2e
