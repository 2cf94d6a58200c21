// The popup's life: closing only hides it, resizing keeps its layout, and only the Exit
// command or the end of the session ends the process.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/Mouse.h"
#include "tests/e2e/Notepad.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/ScreenPixels.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

class Popup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NoWindowTitledLikeThePopup());
        ASSERT_TRUE(m_quillary.Start());
        m_popup = m_quillary.WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
    }

    // Notepad in front, then Ctrl+Shift+F: true once the popup shows again with its list focused.
    ::testing::AssertionResult SummonOver(const Notepad& notepad)
    {
        if (!notepad.Activate())
            return ::testing::AssertionFailure() << "notepad did not come back to the foreground";
        if (auto pressed = PressKeys("ctrl+shift+f"); !pressed)
            return pressed;
        HWND list = GetDlgItem(m_popup, kHistoryListId);
        if (!WaitUntil([&] { return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup
                                    && FocusInThreadOf(m_popup) == list; }))
            return ::testing::AssertionFailure() << "Ctrl+Shift+F did not bring the popup back";
        return ::testing::AssertionSuccess();
    }

    // What the exit sequence leaves in the data folder.
    void ExpectDataFilesWritten() const
    {
        const std::wstring data = m_folder.Child(kDataFolderName) + L"\\";
        EXPECT_TRUE(PathExists(data + kOptionsFileName)) << "no settings file";
        EXPECT_TRUE(PathExists(data + kHistoryFileName)) << "no history file";
    }

    // Hidden, while the process and its window live on.
    ::testing::AssertionResult OnlyHidden()
    {
        if (!WaitUntil([&] { return !IsWindowVisible(m_popup); }))
            return ::testing::AssertionFailure() << "the popup is still visible";
        if (!m_quillary.IsRunning() || !IsWindow(m_popup))
            return ::testing::AssertionFailure() << "the process ended or its window was destroyed";
        return ::testing::AssertionSuccess();
    }

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    HWND m_popup = nullptr;
};

TEST_F(Popup, CloseButtonAltF4AndWmCloseOnlyHideItAndTheHotkeyStillBringsItBack)
{
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    ASSERT_TRUE(SummonOver(notepad));

    const std::optional<POINT> closeButton = FindHitTestArea(m_popup, HTCLOSE);
    ASSERT_TRUE(closeButton.has_value()) << "the caption has no close button";
    ASSERT_TRUE(ClickAt(*closeButton));
    EXPECT_TRUE(OnlyHidden()) << "after a click on the close button";

    ASSERT_TRUE(SummonOver(notepad));
    ASSERT_TRUE(PressKeys("alt+F4"));
    EXPECT_TRUE(OnlyHidden()) << "after Alt+F4";

    ASSERT_TRUE(SummonOver(notepad));
    PostMessageW(m_popup, WM_CLOSE, 0, 0);
    EXPECT_TRUE(OnlyHidden()) << "after WM_CLOSE";

    EXPECT_TRUE(SummonOver(notepad));
}

// The labels' part of the list's first rows on the screen, right of the entry icons. The
// list reaches up behind the caption (its header is hidden there), so the band starts at
// the popup's client area.
RECT LabelBand(HWND list)
{
    RECT band;
    GetClientRect(list, &band);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&band), 2);
    POINT popupClientTop = {0, 0};
    ClientToScreen(GetParent(list), &popupClientTop);
    band.left += 24;
    band.top = popupClientTop.y + 2;
    band.bottom = band.top + 30;
    return band;
}

TEST_F(Popup, TextsCopiedWhileItIsHiddenAreDrawnWhenItComesBack)
{
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    ASSERT_TRUE(SummonOver(notepad));
    HWND list = GetDlgItem(m_popup, kHistoryListId);
    // Start-up may have taken what the clipboard held; an empty list shows no text.
    SendMessageW(m_popup, WM_COMMAND, kClearAllCommand, 0);
    ASSERT_EQ(RemoteListView(list).ItemCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return CountDarkPixels(LabelBand(list)) == 0; }))
        << "the empty list shows text; dark pixels: " << CountDarkPixels(LabelBand(list));
    PostMessageW(m_popup, WM_CLOSE, 0, 0);
    ASSERT_TRUE(OnlyHidden());

    ASSERT_TRUE(PutTextOnClipboard(L"WMWMWMWMWMWM"));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(list).ItemCount() == 1; }));
    ASSERT_TRUE(PutTextOnClipboard(L"MWMWMWMWMWMW"));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(list).ItemCount() == 2; }));

    ASSERT_TRUE(SummonOver(notepad));
    EXPECT_TRUE(WaitUntil([&] { return CountDarkPixels(LabelBand(list)) > 40; }))
        << "the entries added while hidden are not drawn; dark pixels: " << CountDarkPixels(LabelBand(list));
}

TEST_F(Popup, ResizingKeepsSearchFieldListAndButtonStripFillingTheWindow)
{
    HWND list = GetDlgItem(m_popup, kHistoryListId);
    HWND button = GetDlgItem(m_popup, kOptionsButtonId);
    HWND search = GetDlgItem(m_popup, kSearchFieldId);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(search, nullptr);
    const RemoteListView listView(list);

    const SIZE sizes[] = {{190, 290}, {420, 510}, {150, 200}, {260, 330}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(testing::Message() << "window " << size.cx << " x " << size.cy);
        ASSERT_TRUE(SetWindowPos(m_popup, nullptr, 40, 30, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE));
        ASSERT_TRUE(WaitUntil([&] {
            const RECT rect = WindowRect(m_popup);
            return rect.right - rect.left == size.cx && rect.bottom - rect.top == size.cy;
        }));
        const SIZE client = ClientSize(m_popup);
        // The layout runs inside WM_SIZE; wait for it rather than assume it is done.
        WaitUntil([&] { return RectInParentClient(list, m_popup).right == client.cx; });
        const RECT searchRect = RectInParentClient(search, m_popup);
        const RECT listRect = RectInParentClient(list, m_popup);
        const RECT buttonRect = RectInParentClient(button, m_popup);
        const int buttonHeight = buttonRect.bottom - buttonRect.top;

        EXPECT_EQ(searchRect.left, 0);
        EXPECT_EQ(searchRect.top, 0);
        EXPECT_EQ(searchRect.right, client.cx);
        EXPECT_GT(searchRect.bottom, 0);
        EXPECT_EQ(listRect.left, 0);
        EXPECT_EQ(listRect.right, client.cx);
        EXPECT_EQ(listRect.top, searchRect.bottom);
        EXPECT_EQ(listRect.bottom, client.cy - buttonHeight);
        EXPECT_EQ(listView.ColumnWidth(0), client.cx - 20);

        EXPECT_EQ(buttonRect.left, 0);
        EXPECT_EQ(buttonRect.right, client.cx);
        EXPECT_EQ(buttonRect.top, client.cy - buttonHeight + 1);
        EXPECT_GT(buttonHeight, 0);
        EXPECT_TRUE(IsWindowVisible(button));
    }
}

TEST_F(Popup, ExitCommandEndsTheProcess)
{
    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
    ASSERT_TRUE(m_quillary.WaitForExit().has_value()) << "still running after the Exit command";
    EXPECT_FALSE(IsWindow(m_popup));
    ExpectDataFilesWritten();
}

TEST_F(Popup, EndOfTheSessionEndsTheProcess)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(m_popup, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer);
    ASSERT_TRUE(m_quillary.WaitForExit().has_value()) << "still running after WM_ENDSESSION";
    EXPECT_FALSE(IsWindow(m_popup));
    ExpectDataFilesWritten();
}

TEST_F(Popup, EndSessionEndsTheProcessEvenWhenItSaysTheSessionGoesOn)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(m_popup, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 10000, &answer);
    ASSERT_TRUE(m_quillary.WaitForExit().has_value()) << "still running after WM_ENDSESSION with FALSE";
    ExpectDataFilesWritten();
}

}  // namespace
