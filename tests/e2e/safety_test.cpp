// What must never end Quillary or take something from the user: stray keys over the popup,
// Enter with nothing chosen, a restarted taskbar, two copies started at the same moment.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/Mouse.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/NotificationArea.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr wchar_t kOptionTitle[] = L"Option";
constexpr wchar_t kTrayTip[] = L"Quillary ^_^";
constexpr UINT kTrayIconId = 128;
// Long enough for a key that ends the program to have done so.
constexpr std::chrono::milliseconds kEndingTime{2000};

// A copy started with two entries from an earlier run, its popup hidden over notepad.
class Safety : public PopupOverNotepad {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(PopupOverNotepad::SetUp());
        ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), StoredSettings(), {"kept one", "kept two"}));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_EQ(RemoteListView(m_list).ItemCount(), 2);
    }

    // Still running after a while, with the popup's window and both entries.
    ::testing::AssertionResult StillRunning(const char* after) const
    {
        if (WaitUntil([&] { return !m_quillary.IsRunning(); }, kEndingTime))
            return ::testing::AssertionFailure() << "Quillary ended after " << after;
        if (!IsWindow(m_popup) || RemoteListView(m_list).ItemCount() != 2)
            return ::testing::AssertionFailure() << "the popup or its entries went after " << after;
        return ::testing::AssertionSuccess();
    }
};

TEST_F(Safety, CtrlBreakAndEnterAfterTheOptionDialogLeaveThePopupRunning)
{
    ASSERT_TRUE(Summon());
    // Ctrl+Break reaches a program as VK_CANCEL with Ctrl down.
    ASSERT_TRUE(TypeToForeground({VK_CONTROL, VK_CANCEL}));
    ASSERT_TRUE(StillRunning("Ctrl+Break"));

    HWND options = GetDlgItem(m_popup, kOptionsButtonId);
    ASSERT_TRUE(ClickAt(CenterOf(WindowRect(options))));
    HWND dialog = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(dialog, nullptr) << "a click on \"<>\" opened no Option dialog";
    ASSERT_TRUE(TypeToForeground({VK_ESCAPE}));
    ASSERT_TRUE(WaitUntilGone(dialog)) << "Esc did not close the Option dialog";
    ASSERT_TRUE(WaitUntil([&] { return FocusInThreadOf(m_popup) == options; }))
        << "the focus is not back on \"<>\": " << DescribeWindow(FocusInThreadOf(m_popup));

    // Enter on "<>" presses it, as on any button.
    ASSERT_TRUE(TypeToForeground({VK_RETURN}));
    dialog = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    EXPECT_NE(dialog, nullptr) << "Enter on \"<>\" opened no Option dialog";
    if (dialog) {
        ASSERT_TRUE(TypeToForeground({VK_ESCAPE}));
        ASSERT_TRUE(WaitUntilGone(dialog));
    }
    ASSERT_TRUE(StillRunning("Enter on \"<>\""));

    // The entries are saved at the exit as ever.
    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
    ASSERT_TRUE(m_quillary.WaitForExit().has_value());
    EXPECT_EQ(ReadFileBytes(m_folder.Child(kDataFolderName) + L"\\" + kHistoryFileName),
              TextRecordBytes("kept one") + TextRecordBytes("kept two"));
}

// A 2 x 1 picture with 32 bits a pixel, as a packed DIB: the header, then the pixels.
std::string SmallPicture()
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = 2;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const DWORD pixels[] = {0x00FF8000, 0x000080FF};
    return std::string(reinterpret_cast<const char*>(&header), sizeof(header))
           + std::string(reinterpret_cast<const char*>(pixels), sizeof(pixels));
}

TEST_F(Safety, EnterWithNothingSelectedOnlyHidesThePopupAndKeepsTheCopiedPicture)
{
    // Pictures are not recorded at first, so the copy adds no entry.
    const std::string picture = SmallPicture();
    ASSERT_TRUE(PutOnClipboard(CF_DIB, picture));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(SelectOnlyRows(m_list, {}));

    ASSERT_TRUE(TypeToForeground({VK_RETURN}));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); })) << "Enter did not hide the popup";
    EXPECT_TRUE(StillRunning("Enter"));
    const std::optional<std::string> held = ReadClipboard(CF_DIB);
    ASSERT_TRUE(held.has_value()) << "the clipboard no longer holds the picture";
    EXPECT_EQ(held->substr(0, picture.size()), picture);
    EXPECT_EQ(m_notepad.Text(), L"");
}

TEST_F(Safety, TaskbarCreatedBringsTheTrayIconBack)
{
    ASSERT_TRUE(WaitUntil([] { return FindNotificationIcon(kTrayTip).has_value(); })) << "no tray icon";
    // The taskbar restarts without it, as when Explorer is restarted.
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = m_popup;
    icon.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(WaitUntil([] { return !FindNotificationIcon(kTrayTip).has_value(); }));

    PostMessageW(m_popup, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([] { return FindNotificationIcon(kTrayTip).has_value(); }))
        << "the icon did not come back";
}

TEST(SingleInstance, TwoCopiesStartedAtOnceFromOneFolderLeaveOne)
{
    ASSERT_TRUE(NoWindowTitledLikeThePopup());
    TempFolder folder;
    ProcessUnderTest first(folder.Path());
    ProcessUnderTest second(folder.Path());
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());

    ASSERT_TRUE(WaitUntil([&] { return !first.IsRunning() || !second.IsRunning(); }))
        << "both copies keep running";
    const ProcessUnderTest& loser = first.IsRunning() ? second : first;
    const ProcessUnderTest& winner = first.IsRunning() ? first : second;
    EXPECT_EQ(loser.WaitForExit(), std::optional<DWORD>(0));
    HWND popup = winner.WaitForPopup();
    ASSERT_NE(popup, nullptr) << "the copy that stays shows no popup";
    EXPECT_FALSE(WaitUntil([&] { return !winner.IsRunning(); }, kEndingTime)) << "the other copy ended too";
    EXPECT_EQ(FindTopLevelWindows(0, kDialogClass, kPopupTitle), std::vector<HWND>{popup});
}

}  // namespace
