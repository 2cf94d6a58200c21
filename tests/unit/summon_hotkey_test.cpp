// The summon key against real registrations of another window: what it holds,
// what it gives back, and which WM_HOTKEY is its own. The refusals at OK are
// in the Option dialog's tests.
#include <gtest/gtest.h>

#include "shell/SummonHotkey.h"

#include <commctrl.h>

namespace {

constexpr int kCtrlShiftF9 = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr int kCtrlShiftF10 = MAKEWORD(VK_F10, HOTKEYF_CONTROL | HOTKEYF_SHIFT);

HWND NewWindow()
{
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// True when another window can have Ctrl+Shift and the key; it lets it go again.
bool Free(HWND other, UINT key)
{
    const bool free = RegisterHotKey(other, 1, MOD_CONTROL | MOD_SHIFT, key) != FALSE;
    UnregisterHotKey(other, 1);
    return free;
}

TEST(SummonHotkey, HoldsOneKeyAtATimeKnowsItsMessageAndLetsGoAtTheEnd)
{
    HWND popup = NewWindow();
    HWND other = NewWindow();
    {
        ASSERT_TRUE(RegisterHotKey(other, 2, MOD_CONTROL | MOD_SHIFT, VK_F9));
        SummonHotkey summon;
        EXPECT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Taken);
        EXPECT_FALSE(summon.IsRegistered());
        EXPECT_EQ(summon.Change(kCtrlShiftF10), SummonHotkey::Result::Registered);
        EXPECT_FALSE(Free(other, VK_F10));
        UnregisterHotKey(other, 2);

        EXPECT_EQ(summon.Change(kCtrlShiftF9), SummonHotkey::Result::Registered);
        EXPECT_FALSE(Free(other, VK_F9));
        EXPECT_TRUE(Free(other, VK_F10)) << "the previous key is still held";
        EXPECT_TRUE(summon.Matches(SummonHotkey::kHotkeyId, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F9)));
        EXPECT_TRUE(summon.Matches(SummonHotkey::kHotkeyId, MAKELPARAM(MOD_CONTROL | MOD_SHIFT | MOD_ALT, VK_F9)));
        EXPECT_FALSE(summon.Matches(SummonHotkey::kHotkeyId, MAKELPARAM(MOD_CONTROL, VK_F9)));
        EXPECT_FALSE(summon.Matches(SummonHotkey::kHotkeyId, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F10)));
        EXPECT_FALSE(summon.Matches(110, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F9)));
        EXPECT_EQ(SummonHotkey::KeyName(MAKEWORD(VK_NEXT, HOTKEYF_ALT | HOTKEYF_EXT)), L"Alt+Page Down");
    }
    EXPECT_TRUE(Free(other, VK_F9)) << "the key outlives its owner";
    DestroyWindow(popup);
    DestroyWindow(other);
}

}  // namespace
