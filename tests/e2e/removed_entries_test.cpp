// What the user removes leaves the disk: after Delete, Clear All, a lock of the session
// (with "Clear the history when Windows is locked") and forgetting by age no file of the data folder holds the
// removed texts (8-bit or UTF-16) or the removed picture's pixels, while the entries that
// stay survive a kill.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/DiskSearch.h"
#include "tests/e2e/ExtrasBytes.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/Picture.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/Wait.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr WORD kDeleteCommand = 32776;
constexpr std::uint32_t kSecretColour = 0x123456;

std::uint64_t DaysAgo(int days)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t day = 24ull * 60 * 60 * 10000000;
    return ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) - day * days;
}

std::vector<std::string> PixelForms()
{
    std::string bgr, bgrx;
    for (int i = 0; i < 8; ++i) {
        bgr += "\x56\x34\x12";
        bgrx += std::string("\x56\x34\x12\x00", 4);
    }
    return {bgr, bgrx};
}

class RemovedEntries : public ::testing::Test {
protected:
    void Prepare(const StoredSettings& settings, const std::vector<std::string>& texts)
    {
        ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, texts));
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    void Start()
    {
        m_quillary.emplace(m_folder.Path());
        ASSERT_TRUE(m_quillary->Start());
        m_popup = m_quillary->WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
    }

    // The files of the data folder, temporaries included, that hold any of the forms.
    std::vector<std::wstring> FilesHolding(const std::vector<std::string>& forms) const
    {
        return e2e::FilesHolding(m_folder.Child(kDataFolderName) + L"\\", forms);
    }

    void ExpectLeavesTheDisk(const std::vector<std::string>& forms, const char* after) const
    {
        std::vector<std::wstring> holding;
        EXPECT_TRUE(WaitUntil([&] { return (holding = FilesHolding(forms)).empty(); }))
            << "after " << after << " still in " << testing::PrintToString(holding);
    }

    std::vector<std::wstring> Labels() const
    {
        std::vector<std::wstring> labels;
        for (const ListItem& row : RemoteListView(m_list).Rows())
            labels.push_back(row.text);
        return labels;
    }

    TempFolder m_folder;
    std::optional<ProcessUnderTest> m_quillary;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

TEST_F(RemovedEntries, DeleteAndClearAllLeaveNoTextOrPixelsOfTheRemovedEntriesOnDisk)
{
    StoredSettings settings;
    settings.recordPictures = 1;
    ASSERT_NO_FATAL_FAILURE(Prepare(settings, {"kept"}));
    const std::string secret = "Secret-Token-8341";
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, std::wstring(secret.begin(), secret.end())));
    Picture picture{8, 4, std::vector<std::uint32_t>(32, kSecretColour)};
    ASSERT_TRUE(PutPictureOnClipboard(picture));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(m_list).ItemCount() == 3; }));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"kept after"));
    std::vector<std::string> removed = FormsOf(secret);
    for (const std::string& form : PixelForms())
        removed.push_back(form);
    // The search finds what is there: both reach the journal first.
    ASSERT_TRUE(WaitUntil([&] { return FilesHolding(FormsOf(secret)).size() == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return !FilesHolding(PixelForms()).empty(); }));

    // kept after, the picture, the secret, kept
    ASSERT_TRUE(SelectOnlyRows(m_list, {1, 2}));
    ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
    ExpectLeavesTheDisk(removed, "Delete");

    Sleep(1000);
    ASSERT_TRUE(m_quillary->Kill());
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"kept after", L"kept"}));

    const std::string cleared = "Cleared-Password-5520";
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, std::wstring(cleared.begin(), cleared.end())));
    ASSERT_TRUE(WaitUntil([&] { return !FilesHolding(FormsOf(cleared)).empty(); }));
    ASSERT_TRUE(SendCommand(m_popup, kClearAllCommand));
    ExpectLeavesTheDisk(FormsOf(cleared), "Clear All");
    EXPECT_TRUE(FilesHolding(FormsOf("kept after")).empty());
}

TEST_F(RemovedEntries, ALockClearsWhatIsBelowTheTopZoneFromListDiskAndClipboard)
{
    StoredSettings settings;
    settings.clearOnLock = 1;
    settings.topCount = 1;
    ASSERT_NO_FATAL_FAILURE(Prepare(settings, {"pinned", "Older-Entry-4410"}));
    const std::string secret = "Lock-Secret-7731";
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, std::wstring(secret.begin(), secret.end())));
    ASSERT_TRUE(WaitUntil([&] { return !FilesHolding(FormsOf(secret)).empty(); }));

    PostMessageW(m_popup, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_TRUE(WaitUntil([&] { return Labels() == std::vector<std::wstring>{L"pinned"}; }))
        << testing::PrintToString(Labels());
    std::vector<std::string> removed = FormsOf(secret);
    for (const std::string& form : FormsOf("Older-Entry-4410"))
        removed.push_back(form);
    ExpectLeavesTheDisk(removed, "the lock");
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "the clipboard still holds the copied secret";
}

TEST_F(RemovedEntries, EntriesOlderThanTheChosenDaysAreForgottenAtStartButNotThePinnedOnes)
{
    StoredSettings settings;
    settings.forgetDays = 10;
    settings.topCount = 1;
    const std::vector<std::string> texts = {"Pinned-Long-Ago", "Forgotten-Entry-6120", "Copied-Last-Week"};
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, texts));
    const std::wstring data = m_folder.Child(kDataFolderName) + L"\\";
    const std::string history = ReadFileBytes(data + kHistoryFileName);
    ASSERT_TRUE(WriteFileBytes(data + L"data.extras",
                               ExtrasFileBytes(history, {{DaysAgo(40), {}}, {DaysAgo(11), {}}, {DaysAgo(7), {}}})));
    ASSERT_NO_FATAL_FAILURE(Start());

    EXPECT_TRUE(WaitUntil([&] {
        return Labels() == std::vector<std::wstring>{L"Pinned-Long-Ago", L"Copied-Last-Week"};
    })) << testing::PrintToString(Labels());
    ExpectLeavesTheDisk(FormsOf("Forgotten-Entry-6120"), "forgetting");
    // The capture times stay with the entries that remain, across a kill.
    Sleep(1000);
    ASSERT_TRUE(m_quillary->Kill());
    settings.forgetDays = 6;
    settings.entryCount = 2;
    ASSERT_TRUE(WriteFileBytes(data + kOptionsFileName, SettingsFileBytes(settings)));
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(WaitUntil([&] { return Labels() == std::vector<std::wstring>{L"Pinned-Long-Ago"}; }))
        << testing::PrintToString(Labels());
}

}  // namespace
