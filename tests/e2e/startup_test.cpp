// Start-up: the first copy shows its popup; any window bearing the popup's title,
// a running copy's or another program's, stops a new start quietly.
#include "tests/e2e/DriverWindow.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NoWindowTitledLikeThePopup());
    }

    std::wstring DataFolder(const TempFolder& folder) const { return folder.Child(kDataFolderName); }
};

TEST_F(StartUp, FirstStartShowsTheEmptyPopupTopMostAtTheDefaultRectangleAndCreatesTheDataFolder)
{
    TempFolder folder;
    ProcessUnderTest quillary(folder.Path());
    ASSERT_FALSE(PathExists(DataFolder(folder)));
    ASSERT_TRUE(quillary.Start());

    HWND popup = quillary.WaitForPopup();
    ASSERT_NE(popup, nullptr) << (quillary.FindPopup() ? "the popup stays hidden"
                                                       : "no dialog of quillary.exe titled exactly like the popup");
    EXPECT_EQ(WindowText(popup), kPopupTitle);
    EXPECT_TRUE(IsFolder(DataFolder(folder)));
    EXPECT_TRUE(IsTopMost(popup));
    const RECT rect = WindowRect(popup);
    EXPECT_EQ(rect.left, kDefaultPopupRect.left);
    EXPECT_EQ(rect.top, kDefaultPopupRect.top);
    EXPECT_EQ(rect.right - rect.left, 190);
    EXPECT_EQ(rect.bottom - rect.top, 290);

    HWND list = GetDlgItem(popup, kHistoryListId);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ClassName(list), L"SysListView32");
    EXPECT_EQ(RemoteListView(list).ItemCount(), 0) << "a fresh folder has no history";
    EXPECT_TRUE(quillary.IsRunning());
}

TEST_F(StartUp, FirstStartFromAFolderNamedOutsideTheAnsiCodePageCreatesTheDataFolderThere)
{
    TempFolder base;
    const std::wstring folder = base.Child(L"Verlauf \u00FC\u20AC \u65E5\u672C \U0001F600");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ProcessUnderTest quillary(folder);
    ASSERT_TRUE(quillary.Start());
    ASSERT_NE(quillary.WaitForPopup(), nullptr);
    EXPECT_TRUE(IsFolder(folder + L"\\" + kDataFolderName));
}

TEST_F(StartUp, SecondStartShowsTheHiddenPopupOfTheRunningCopyAndEndsWithCodeZero)
{
    TempFolder firstFolder;
    ProcessUnderTest first(firstFolder.Path());
    ASSERT_TRUE(first.Start());
    HWND popup = first.WaitForPopup();
    ASSERT_NE(popup, nullptr);
    PostMessageW(popup, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); })) << "WM_CLOSE did not hide the popup";

    TempFolder secondFolder;
    ProcessUnderTest second(secondFolder.Path());
    ASSERT_TRUE(second.Start());
    const std::optional<DWORD> exitCode = second.WaitForExit();
    ASSERT_TRUE(exitCode.has_value()) << "the second copy keeps running";
    EXPECT_EQ(*exitCode, 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) != FALSE; })) << "the first copy's popup stays hidden";
    EXPECT_FALSE(PathExists(DataFolder(secondFolder))) << "the second copy touched its folder";
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(first.FindPopup(), popup);
}

TEST_F(StartUp, WindowOfAnotherProgramWithTheTitleStopsTheStartAndIsShown)
{
    // Hidden, so that the start's ShowWindow on it can be seen.
    DriverWindow other(kPopupTitle, false);
    ASSERT_NE(other.Handle(), nullptr);
    ASSERT_FALSE(IsWindowVisible(other.Handle()));

    TempFolder folder;
    ProcessUnderTest quillary(folder.Path());
    ASSERT_TRUE(quillary.Start());
    const std::optional<DWORD> exitCode = quillary.WaitForExit();
    ASSERT_TRUE(exitCode.has_value()) << "quillary.exe keeps running beside a window with its title";
    EXPECT_EQ(*exitCode, 0u);
    EXPECT_FALSE(PathExists(DataFolder(folder))) << "start-up went on to create the data folder";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(other.Handle()) != FALSE; }))
        << "the window with the title was not shown";
}

}  // namespace
