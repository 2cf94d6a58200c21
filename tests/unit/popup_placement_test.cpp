// Where the popup opens: a stored rectangle keeps its pixels at any DPI; the
// default one (first start, or a stored one that is out of sight) grows with
// the DPI of its monitor.
#include <gtest/gtest.h>

#include "shell/popup/PopupPlacement.h"
#include "shell/popup/TargetMonitorPlacement.h"

namespace {

::testing::AssertionResult Is(const RECT& rect, RECT expected)
{
    if (EqualRect(&rect, &expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
}

TEST(PopupPlacement, OnlyTheDefaultRectangleGrowsWithTheDpi)
{
    const RECT stored = {400, 300, 590, 590};
    for (UINT dpi : {96u, 120u, 144u, 192u})
        EXPECT_TRUE(Is(PopupPlacement::Choose(stored, true, true, dpi), stored)) << dpi << " DPI";

    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, false, true, 96), {10, 10, 200, 300}));
    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, false, true, 144), {15, 15, 300, 450}));
    // 190 x 290 at 125%: 237.5 x 362.5, to the nearest pixel.
    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, false, true, 120), {13, 13, 251, 376}));
    EXPECT_TRUE(Is(PopupPlacement::Choose(stored, true, false, 192), {20, 20, 400, 600})) << "out of sight";
    EXPECT_TRUE(Is(PopupPlacement::Choose({300, 300, 300, 500}, true, true, 144), {15, 15, 300, 450})) << "empty";
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
