// The global hotkeys, pressed on the X display as a user would, with Wine's notepad
// as the other program: summoning the popup, Esc back to notepad, pinning notepad on top.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DriverWindow.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using namespace e2e;

namespace {

// A running copy with its popup hidden, and notepad in the foreground with its edit focused.
class Hotkeys : public PopupOverNotepad {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(PopupOverNotepad::SetUp());
        ASSERT_NO_FATAL_FAILURE(Start());
    }
};

TEST_F(Hotkeys, CtrlShiftFOverNotepadShowsThePopupTopMostWhereItWasWithItsListFocused)
{
    // Where the user left it, which is neither the start position nor anywhere near notepad's caret.
    const RECT moved = {620, 380, 870, 700};
    ASSERT_TRUE(SetWindowPos(m_popup, nullptr, moved.left, moved.top, moved.right - moved.left,
                             moved.bottom - moved.top, SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_FALSE(IsWindowVisible(m_popup));

    ASSERT_TRUE(Summon());
    EXPECT_TRUE(IsTopMost(m_popup));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_popup; }))
        << "the popup is not the foreground window: keys typed now would not reach the list";
    const RECT rect = WindowRect(m_popup);
    EXPECT_TRUE(EqualRect(&rect, &moved)) << "shown at " << rect.left << ", " << rect.top << " - " << rect.right
                                          << ", " << rect.bottom;
}

TEST_F(Hotkeys, EscHidesThePopupAndGivesTheFocusBackToNotepadWithNothingPasted)
{
    // An entry selected in the list, which Enter would paste.
    const RemoteListView list(m_list);
    ASSERT_TRUE(PutTextOnClipboard(L"not for pasting"));
    ASSERT_TRUE(WaitUntil([&] { return list.ItemCount() == 1; })) << "the copied text did not become an entry";
    // Another window between the popup and notepad: when the popup hides, the system would
    // activate that one; only giving the focus back brings notepad to the front.
    DriverWindow between(L"Another program", true);
    ASSERT_TRUE(m_notepad.HasKeyboardFocus());
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));

    ASSERT_TRUE(PressKeys("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); })) << "Esc did not hide the popup";
    ASSERT_TRUE(WaitUntil([&] { return m_notepad.HasKeyboardFocus(); })) << DescribeForeground();
    // A paste would follow the focus at once; give it ample time to show.
    WaitUntil([&] { return !m_notepad.Text().empty(); }, std::chrono::milliseconds(1000));
    EXPECT_EQ(m_notepad.Text(), L"") << "Esc pasted";
    EXPECT_TRUE(m_quillary.IsRunning());
}

TEST_F(Hotkeys, CtrlShiftFWhileThePopupIsTheForegroundWindowDoesNothing)
{
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_popup; }));
    // With the focus off the list, a summons would show itself by focusing the list again.
    HWND button = GetDlgItem(m_popup, kOptionsButtonId);
    ASSERT_TRUE(GiveFocus(button));
    const RECT before = WindowRect(m_popup);

    ASSERT_TRUE(PressKeysAndWaitDelivered("ctrl+shift+f"));
    EXPECT_FALSE(WaitUntil([&] { return FocusInThreadOf(m_popup) != button; }, std::chrono::milliseconds(1000)))
        << "the focus moved to " << DescribeWindow(FocusInThreadOf(m_popup));
    EXPECT_TRUE(IsWindowVisible(m_popup));
    EXPECT_EQ(GetForegroundWindow(), m_popup);
    EXPECT_TRUE(IsTopMost(m_popup));
    const RECT after = WindowRect(m_popup);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(Hotkeys, SummonsWhileThePopupIsInFrontKeepsThePasteTarget)
{
    const RemoteListView list(m_list);
    ASSERT_TRUE(PutTextOnClipboard(L"still for notepad"));
    ASSERT_TRUE(WaitUntil([&] { return list.ItemCount() == 1; }));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_popup; }));
    ASSERT_TRUE(PressKeysAndWaitDelivered("ctrl+shift+f"));
    ASSERT_TRUE(Select("Home", {0}));

    // Enter still pastes into the window the popup was first summoned from.
    ASSERT_TRUE(PressKeys("Return"));
    EXPECT_TRUE(WaitUntil([&] { return m_notepad.Text() == L"still for notepad"; }))
        << "the entry did not reach notepad";
    EXPECT_FALSE(IsWindowVisible(m_popup));
}

TEST_F(Hotkeys, CtrlTPinsNotepadOnTopAndCtrlShiftTMakesItOrdinaryAgain)
{
    ASSERT_FALSE(IsTopMost(m_notepad.MainWindow()));
    ASSERT_TRUE(PressKeys("ctrl+t"));
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(m_notepad.MainWindow()); })) << "Ctrl+T did not pin notepad";
    ASSERT_TRUE(PressKeys("ctrl+shift+t"));
    EXPECT_TRUE(WaitUntil([&] { return !IsTopMost(m_notepad.MainWindow()); })) << "Ctrl+Shift+T did not unpin it";
    EXPECT_TRUE(m_notepad.HasKeyboardFocus());
    EXPECT_FALSE(IsWindowVisible(m_popup));
}

}  // namespace
