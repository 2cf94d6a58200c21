// Where the popup opens: a stored rectangle keeps its pixels at any DPI; the
// default one (first start, or a stored one that is out of sight) grows with
// the DPI of its monitor.
#include <gtest/gtest.h>

#include "shell/popup/PopupPlacement.h"

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

}  // namespace
