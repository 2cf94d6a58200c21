// The summon key's registration against real registrations of other windows,
// and a key press that reaches the window through the system's hotkey path.
#include <gtest/gtest.h>

#include "shell/SummonHotkey.h"

#include <commctrl.h>

namespace {

// Keys nobody else on the test desktop uses.
constexpr int kCtrlShiftF9 = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr int kCtrlShiftF10 = MAKEWORD(VK_F10, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr int kAltShiftF11 = MAKEWORD(VK_F11, HOTKEYF_ALT | HOTKEYF_SHIFT);

UINT ModifiersOf(int key)
{
    return ((HIBYTE(key) & HOTKEYF_CONTROL) ? MOD_CONTROL : 0) | ((HIBYTE(key) & HOTKEYF_ALT) ? MOD_ALT : 0) |
           ((HIBYTE(key) & HOTKEYF_SHIFT) ? MOD_SHIFT : 0);
}

HWND NewWindow(const wchar_t* title)
{
    return CreateWindowExW(0, L"STATIC", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

void SendKey(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

// Presses the combination and returns the WM_HOTKEY that reached `window`, if one did.
bool PressAndReceive(int key, HWND window, MSG& received)
{
    const WORD modifiers[] = {VK_CONTROL, VK_SHIFT};
    for (WORD modifier : modifiers)
        SendKey(modifier, false);
    SendKey(LOBYTE(key), false);
    SendKey(LOBYTE(key), true);
    for (WORD modifier : modifiers)
        SendKey(modifier, true);
    for (int wait = 0; wait < 100; ++wait) {
        if (PeekMessageW(&received, window, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
            return true;
        Sleep(20);
    }
    return false;
}

class SummonHotkeyTest : public testing::Test {
protected:
    void SetUp() override
    {
        popup = NewWindow(L"popup");
        other = NewWindow(L"another program");
        ASSERT_TRUE(popup && other);
    }
    void TearDown() override
    {
        UnregisterHotKey(other, kOtherId);
        DestroyWindow(popup);
        DestroyWindow(other);
    }
    // True when the other window can have the key, which it then holds.
    bool OtherTakes(int key) { return RegisterHotKey(other, kOtherId, ModifiersOf(key), LOBYTE(key)) != FALSE; }
    void OtherReleases() { UnregisterHotKey(other, kOtherId); }

    static constexpr int kOtherId = 7;
    HWND popup = nullptr;
    HWND other = nullptr;
};

TEST_F(SummonHotkeyTest, RegisterHoldsTheKeyUntilTheObjectGoes)
{
    {
        SummonHotkey summon;
        EXPECT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Registered);
        EXPECT_TRUE(summon.IsRegistered());
        EXPECT_FALSE(OtherTakes(kCtrlShiftF9));
    }
    EXPECT_TRUE(OtherTakes(kCtrlShiftF9));
}

TEST_F(SummonHotkeyTest, ChangeMovesTheRegistrationAndTheNewKeySummonsTheOldOneNoLonger)
{
    SummonHotkey summon;
    ASSERT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Registered);
    EXPECT_EQ(summon.Change(kCtrlShiftF10), SummonHotkey::Result::Registered);
    EXPECT_EQ(summon.Key(), kCtrlShiftF10);

    MSG hotkey = {};
    ASSERT_TRUE(PressAndReceive(kCtrlShiftF10, popup, hotkey)) << "Ctrl+Shift+F10 did not reach the window";
    EXPECT_EQ(hotkey.wParam, static_cast<WPARAM>(SummonHotkey::kHotkeyId));
    EXPECT_TRUE(summon.Matches(hotkey.wParam, hotkey.lParam));
    EXPECT_FALSE(summon.Matches(110, hotkey.lParam)) << "another hotkey id";
    EXPECT_FALSE(summon.Matches(hotkey.wParam, MAKELPARAM(MOD_CONTROL, VK_F10))) << "Shift missing";
    EXPECT_FALSE(PressAndReceive(kCtrlShiftF9, popup, hotkey)) << "the old key still summons";

    // Both keys are where they should be: the old one free, the new one held.
    EXPECT_TRUE(OtherTakes(kCtrlShiftF9));
    OtherReleases();
    EXPECT_FALSE(OtherTakes(kCtrlShiftF10));
}

TEST_F(SummonHotkeyTest, AKeyHeldElsewhereIsRefusedAndTheKeyInForceStays)
{
    SummonHotkey summon;
    ASSERT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Registered);
    ASSERT_TRUE(OtherTakes(kAltShiftF11));
    EXPECT_EQ(summon.Change(kAltShiftF11), SummonHotkey::Result::Taken);
    EXPECT_EQ(summon.Key(), kCtrlShiftF9);
    EXPECT_TRUE(summon.IsRegistered());
    MSG hotkey = {};
    EXPECT_TRUE(PressAndReceive(kCtrlShiftF9, popup, hotkey)) << "the key in force no longer summons";

    // Once the other program lets it go, the key can be had.
    OtherReleases();
    EXPECT_EQ(summon.Change(kAltShiftF11), SummonHotkey::Result::Registered);
    EXPECT_TRUE(OtherTakes(kCtrlShiftF9));
    OtherReleases();
    // The key in force again is no change at all.
    EXPECT_EQ(summon.Change(kAltShiftF11 | (HOTKEYF_EXT << 8)), SummonHotkey::Result::Registered);
    EXPECT_FALSE(OtherTakes(kAltShiftF11));
}

TEST_F(SummonHotkeyTest, KeysWithoutModifierOrWithoutKeyAreRefused)
{
    SummonHotkey summon;
    ASSERT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Registered);
    EXPECT_EQ(summon.Change(VK_F10), SummonHotkey::Result::NoModifier);
    EXPECT_EQ(summon.Change(MAKEWORD(VK_F10, HOTKEYF_EXT)), SummonHotkey::Result::NoModifier);
    EXPECT_EQ(summon.Change(MAKEWORD(0, HOTKEYF_CONTROL)), SummonHotkey::Result::NoKey);
    EXPECT_EQ(summon.Key(), kCtrlShiftF9);
    EXPECT_FALSE(OtherTakes(kCtrlShiftF9));
    EXPECT_TRUE(OtherTakes(MAKEWORD(VK_F10, 0))) << "a refused key must not be held";
}

TEST_F(SummonHotkeyTest, AKeyRefusedAtStartIsTriedAgainByChange)
{
    ASSERT_TRUE(OtherTakes(kCtrlShiftF9));
    SummonHotkey summon;
    EXPECT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Taken);
    EXPECT_FALSE(summon.IsRegistered());
    EXPECT_EQ(summon.Change(kCtrlShiftF9), SummonHotkey::Result::Taken);
    EXPECT_EQ(summon.Change(kCtrlShiftF10), SummonHotkey::Result::Registered);
    EXPECT_TRUE(summon.IsRegistered());
    EXPECT_EQ(summon.Key(), kCtrlShiftF10);
}

TEST(SummonHotkeyText, NamesKeysAsUsersReadThem)
{
    EXPECT_EQ(SummonHotkey::KeyName(MAKEWORD('F', HOTKEYF_CONTROL | HOTKEYF_SHIFT)), L"Ctrl+Shift+F");
    EXPECT_EQ(SummonHotkey::KeyName(MAKEWORD(VK_F9, HOTKEYF_ALT)), L"Alt+F9");
    EXPECT_EQ(SummonHotkey::KeyName(MAKEWORD('7', HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT)),
              L"Ctrl+Alt+Shift+7");
    EXPECT_EQ(SummonHotkey::KeyName(MAKEWORD(VK_NEXT, HOTKEYF_CONTROL | HOTKEYF_EXT)), L"Ctrl+Page Down");
    EXPECT_EQ(SummonHotkey::KeyName(MAKEWORD(VK_NUMPAD3, HOTKEYF_SHIFT)), L"Shift+Num 3");

    const CString taken = SummonHotkey::RefusalMessage(SummonHotkey::Result::Taken, kAltShiftF11, kCtrlShiftF9);
    EXPECT_NE(taken.Find(L"Alt+Shift+F11 is already taken"), -1) << taken.GetString();
    EXPECT_NE(taken.Find(L"Ctrl+Shift+F9 stays"), -1) << taken.GetString();
    const CString bare = SummonHotkey::RefusalMessage(SummonHotkey::Result::NoModifier, VK_F10, kCtrlShiftF9);
    EXPECT_NE(bare.Find(L"F10 cannot summon"), -1) << bare.GetString();
    EXPECT_NE(bare.Find(L"Ctrl+Shift+F9 stays"), -1) << bare.GetString();
    EXPECT_NE(SummonHotkey::RefusalMessage(SummonHotkey::Result::NoKey, 0, kCtrlShiftF9).Find(L"Ctrl+Shift+F9"), -1);
}

}  // namespace
