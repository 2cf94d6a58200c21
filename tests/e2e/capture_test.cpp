// Capture of texts copied in other programs: an X program's copy through Wine, and
// the cap with a top zone, prepared as files before the start: a full history loses
// its last row to a new entry, and nothing to a copy that yields none.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/IgnoredCopier.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/XClipboard.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// Long enough for a repeated notification of one change to have arrived.
constexpr std::chrono::milliseconds kSettleTime{1000};
// Loading a thousand entries takes seconds under Wine, and more on a busy machine.
constexpr std::chrono::milliseconds kLargeHistoryStart{60000};

class Capture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(NoWindowTitledLikeThePopup()); }

    void TearDown() override
    {
        // A Windows copy takes the selection back from xclip, which then ends.
        PutTextOnClipboard(L"end of test");
    }

    void Start(std::chrono::milliseconds timeout = kWaitTimeout)
    {
        ASSERT_TRUE(m_quillary.Start());
        HWND popup = m_quillary.WaitForPopup(timeout);
        ASSERT_NE(popup, nullptr);
        m_list = GetDlgItem(popup, kHistoryListId);
        ASSERT_NE(m_list, nullptr);
    }

    int Count() const { return RemoteListView(m_list).ItemCount(); }

    // Waits for the count, then makes sure it stays there.
    ::testing::AssertionResult CountBecomesAndStays(int expected) const
    {
        if (!WaitUntil([&] { return Count() == expected; }))
            return ::testing::AssertionFailure() << "the list holds " << Count() << " entries, not " << expected;
        if (WaitUntil([&] { return Count() != expected; }, kSettleTime))
            return ::testing::AssertionFailure() << "the list went on from " << expected << " to " << Count()
                                                 << " entries";
        return ::testing::AssertionSuccess();
    }

    std::wstring Label(int row) const
    {
        const std::optional<ListItem> item = RemoteListView(m_list).Item(row);
        return item ? item->text : L"(row " + std::to_wstring(row) + L" unreadable)";
    }

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    HWND m_list = nullptr;
};

TEST_F(Capture, TextCopiedInAnXProgramBecomesExactlyOneEntryAndASecondCopyOfItAnother)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // A Windows program owns the clipboard first: that is when Wine announces an X copy twice.
    ASSERT_TRUE(PutTextOnClipboard(L"from Windows"));
    ASSERT_TRUE(CountBecomesAndStays(1));

    ASSERT_TRUE(CopyInXProgram(L"x"));
    EXPECT_TRUE(CountBecomesAndStays(2)) << "after one copy in an X program";
    EXPECT_EQ(Label(0), L"x");
    EXPECT_EQ(Label(1), L"from Windows");

    // The same text copied again is a new change and a new entry.
    ASSERT_TRUE(CopyInXProgram(L"x"));
    EXPECT_TRUE(CountBecomesAndStays(3)) << "after copying the same text again";
    EXPECT_EQ(Label(0), L"x");
    EXPECT_EQ(Label(1), L"x");
    EXPECT_EQ(Label(2), L"from Windows");
}

TEST_F(Capture, WithAThousandEntriesACopyDropsTheLastRowAndPutsTheTextDirectlyBelowTheTopZone)
{
    constexpr int kCap = 1000;
    constexpr int kTopCount = 2;
    std::vector<std::string> texts;
    for (int i = 0; i < kCap; ++i)
        texts.push_back("entry " + std::to_string(i));
    StoredSettings settings;
    settings.topCount = kTopCount;
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, texts));
    ASSERT_NO_FATAL_FAILURE(Start(kLargeHistoryStart));
    ASSERT_EQ(Count(), kCap) << "the prepared history did not load";
    ASSERT_EQ(Label(kCap - 1), L"entry 999");

    // A Windows copy, then an X copy, which Wine may announce twice after it: each drops one row.
    ASSERT_TRUE(PutTextOnClipboard(L"from Windows"));
    ASSERT_TRUE(WaitUntil([&] { return Label(kTopCount) == L"from Windows"; }))
        << "row " << kTopCount << " holds " << testing::PrintToString(Label(kTopCount));
    EXPECT_TRUE(CountBecomesAndStays(kCap));
    ASSERT_TRUE(CopyInXProgram(L"newest"));
    ASSERT_TRUE(WaitUntil([&] { return Label(kTopCount) == L"newest"; }))
        << "row " << kTopCount << " holds " << testing::PrintToString(Label(kTopCount));
    EXPECT_TRUE(CountBecomesAndStays(kCap));

    // The top zone stays, the copies sit right below it, newest first, the rest moved
    // down and the old last rows are gone.
    const RemoteListView list(m_list);
    std::vector<std::wstring> expected;
    for (int i = 0; i < kTopCount; ++i)
        expected.push_back(L"entry " + std::to_wstring(i));
    expected.push_back(L"newest");
    expected.push_back(L"from Windows");
    for (int i = kTopCount; i < kCap - 2; ++i)
        expected.push_back(L"entry " + std::to_wstring(i));
    for (int row = 0; row < kCap; ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        const std::optional<ListItem> item = list.Item(row);
        ASSERT_TRUE(item.has_value());
        EXPECT_EQ(item->text, expected[static_cast<size_t>(row)]);
        // Text entries show image 0, or 2 inside the top zone.
        EXPECT_EQ(item->image, row < kTopCount ? 2 : 0);
    }
}

TEST_F(Capture, WithAFullHistoryACopyThatYieldsNoEntryDropsNone)
{
    constexpr int kCap = 10;  // the smallest history size
    StoredSettings settings;
    settings.historySize = kCap;
    settings.recordPictures = 0;
    settings.ignoredPrograms = "ignoredcopier.exe";
    std::vector<std::string> texts;
    for (int i = 0; i < kCap; ++i)
        texts.push_back("entry " + std::to_string(i));
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, texts));
    const std::wstring historyFile = m_folder.Child(kDataFolderName) + L"\\" + kHistoryFileName;
    const std::string history = ReadFileBytes(historyFile);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(CountBecomesAndStays(kCap));

    IgnoredCopier ignored;
    const std::vector<std::pair<const char*, std::function<::testing::AssertionResult()>>> copies = {
        {"a picture with pictures off", [] { return PutPictureOnClipboard({2, 2, {0x102030, 0x405060, 0, 0}}); }},
        {"an emptied clipboard",
         [] {
             if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
                 return ::testing::AssertionFailure() << "the clipboard stays open";
             const bool emptied = EmptyClipboard() != FALSE;
             CloseClipboard();
             return ::testing::AssertionResult(emptied);
         }},
        {"a copy in an ignored program", [&] { return ignored.Copy(L"Ignored-Text-2291"); }},
    };
    for (const auto& copy : copies) {
        ASSERT_TRUE(copy.second()) << copy.first;
        EXPECT_TRUE(CountBecomesAndStays(kCap)) << "after " << copy.first;
    }
    EXPECT_TRUE(ignored.End());
    for (int row = 0; row < kCap; ++row)
        EXPECT_EQ(Label(row), L"entry " + std::to_wstring(row));

    ASSERT_TRUE(m_quillary.End());
    EXPECT_EQ(ReadFileBytes(historyFile), history) << "the history file lost or changed entries";
}

}  // namespace
