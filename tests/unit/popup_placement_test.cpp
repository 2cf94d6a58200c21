// Where the popup opens: a stored rectangle keeps its pixels at any DPI and is
// brought into sight when the monitors changed; the default one (first start)
// keeps clear of the taskbar and grows with the DPI of its monitor.
#include <gtest/gtest.h>

#include "shell/popup/PopupPlacement.h"
#include "shell/popup/TargetMonitorPlacement.h"

#include <vector>

namespace {

::testing::AssertionResult Is(const RECT& rect, RECT expected)
{
    if (EqualRect(&rect, &expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
}

ScreenLayout OneMonitor(UINT dpi)
{
    return ScreenLayout({{{0, 0, 1920, 1040}, dpi}});
}

TEST(PopupPlacement, OnlyTheDefaultRectangleGrowsWithTheDpi)
{
    const RECT stored = {400, 300, 590, 590};
    for (UINT dpi : {96u, 120u, 144u, 192u})
        EXPECT_TRUE(Is(PopupPlacement::Choose(stored, true, OneMonitor(dpi)), stored)) << dpi << " DPI";

    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, false, OneMonitor(96)), {10, 10, 200, 300}));
    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, false, OneMonitor(144)), {15, 15, 300, 450}));
    // 190 x 290 at 125%: 237.5 x 362.5, to the nearest pixel.
    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, false, OneMonitor(120)), {13, 13, 251, 376}));
    EXPECT_TRUE(Is(PopupPlacement::Choose({300, 300, 300, 500}, true, OneMonitor(144)), {15, 15, 300, 450}))
        << "empty";
}

// The monitors change between two runs, or while the popup is hidden: a rectangle that
// would be out of sight comes to the nearest work area, keeping its size; one the user
// can still see and take hold of stays; the first start keeps clear of the taskbar.
TEST(PopupPlacement, ARectangleOnNoMonitorComesToTheNearestWorkArea)
{
    using Monitor = ScreenLayout::Monitor;
    const Monitor main = {{0, 0, 1920, 1040}, 96};
    struct Case {
        const char* what;
        std::vector<Monitor> monitors;  // the primary first
        RECT stored;
        bool haveStored;
        RECT expected;
    } const cases[] = {
        {"its monitor on the right removed", {main}, {2100, 100, 2290, 390}, true, {1730, 100, 1920, 390}},
        {"its monitor moved from the right to the left", {main, {{-1920, 0, 0, 1080}, 96}},
         {2500, 200, 2690, 490}, true, {1730, 200, 1920, 490}},
        {"the monitor on the left moved to the right", {main, {{1920, 0, 3200, 1024}, 96}},
         {-1100, 300, -910, 590}, true, {0, 300, 190, 590}},
        {"on the monitor on the left, still there", {main, {{-1280, 200, 0, 1184}, 96}},
         {-1100, 300, -910, 590}, true, {-1100, 300, -910, 590}},
        {"20 pixels left in sight", {main}, {1900, 500, 2090, 790}, true, {1730, 500, 1920, 790}},
        {"40 pixels left in sight", {main}, {1880, 500, 2070, 790}, true, {1880, 500, 2070, 790}},
        {"its caption above the top", {main}, {100, -280, 290, 10}, true, {100, 0, 290, 290}},
        {"taller than the work area", {main}, {3000, 0, 3190, 2000}, true, {1730, 0, 1920, 2000}},
        {"taskbar on the left, first start", {{{60, 0, 1920, 1080}, 96}}, {}, false, {70, 10, 260, 300}},
        {"taskbar on top, first start", {{{0, 40, 1920, 1080}, 96}}, {}, false, {10, 50, 200, 340}},
        {"taskbar on the left, partly under it", {{{60, 0, 1920, 1080}, 96}}, {0, 0, 190, 290}, true,
         {0, 0, 190, 290}},
        {"taskbar on the left, all under it", {{{60, 0, 1920, 1080}, 96}}, {0, 100, 50, 390}, true,
         {60, 100, 110, 390}},
        {"mixed DPI, first start on a 150% primary", {{{0, 0, 2880, 1560}, 144}, {{2880, 0, 4800, 1080}, 96}},
         {}, false, {15, 15, 300, 450}},
        {"mixed DPI, brought to a 150% monitor keeps its pixels", {{{0, 0, 2880, 1560}, 144}},
         {3000, 200, 3190, 490}, true, {2690, 200, 2880, 490}},
        {"mixed DPI, 40 pixels on a 200% monitor are not enough", {{{0, 0, 3840, 2080}, 192}},
         {3800, 100, 4180, 680}, true, {3460, 100, 3840, 680}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Is(PopupPlacement::Choose(c.stored, c.haveStored, ScreenLayout(c.monitors)), c.expected))
            << c.what;
}

// Summoned for a window on another monitor, the popup keeps its place relative
// to the monitor, scaled for that monitor's DPI, and stays inside it.
TEST(TargetMonitorPlacement, CarriesThePlaceRelativeToTheMonitorScaledAndInside)
{
    using Monitor = TargetMonitorPlacement::Monitor;
    const Monitor left = {{0, 0, 1920, 1040}, 96};
    struct Case {
        const char* what;
        RECT rect;
        Monitor from;
        Monitor to;
        RECT expected;
    } const cases[] = {
        {"same DPI, right", {100, 50, 290, 340}, left, {{1920, 0, 3840, 1040}, 96}, {2020, 50, 2210, 340}},
        {"same DPI, left of the main one", {100, 50, 290, 340}, left, {{-1280, 200, 0, 1184}, 96},
         {-1180, 250, -990, 540}},
        {"to 150%", {100, 50, 290, 340}, left, {{1920, 0, 4480, 1400}, 144}, {2070, 75, 2355, 510}},
        {"back from 150%", {2070, 75, 2355, 510}, {{1920, 0, 4480, 1400}, 144}, left, {100, 50, 290, 340}},
        {"pushed inside a smaller monitor", {1600, 900, 1790, 1190}, {{0, 0, 1920, 1200}, 96},
         {{1920, 0, 3200, 984}, 96}, {3010, 694, 3200, 984}},
        {"taller than the monitor: top edge kept", {0, 0, 190, 1200}, {{0, 0, 1920, 1200}, 96},
         {{0, 1200, 800, 1800}, 96}, {0, 1200, 190, 2400}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Is(TargetMonitorPlacement::Carry(c.rect, c.from, c.to), c.expected)) << c.what;
}

}  // namespace
