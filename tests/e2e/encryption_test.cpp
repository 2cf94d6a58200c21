// "Encrypt the history": the data folder holds none of the copied texts or pixels in any
// form, the history comes back after a kill and after an exit, plain files an older
// version wrote beside it are merged in, and a key this account cannot open (the key file
// of another folder) sets the history aside untouched and starts a new one.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DiskSearch.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/Picture.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/Wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr wchar_t kKeyFile[] = L"history.key";

class Encryption : public ::testing::Test {
protected:
    std::wstring Data(const TempFolder& folder) const { return folder.Child(kDataFolderName) + L"\\"; }

    void Start(const TempFolder& folder)
    {
        m_quillary.emplace(folder.Path());
        ASSERT_TRUE(m_quillary->Start());
        m_popup = m_quillary->WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
    }

    std::vector<std::wstring> Labels() const
    {
        std::vector<std::wstring> labels;
        for (const ListItem& row : RemoteListView(m_list).Rows())
            labels.push_back(row.text);
        return labels;
    }

    // Sealed: the key and the sealed history are there, no plain history, no copied bytes.
    ::testing::AssertionResult SealedWithout(const TempFolder& folder, const std::vector<std::string>& forms) const
    {
        const std::wstring data = Data(folder);
        std::vector<std::wstring> holding;
        const bool sealed = WaitUntil([&] {
            holding = FilesHolding(data, forms);
            return holding.empty() && PathExists(data + kKeyFile) && PathExists(data + L"data.qdata") &&
                   !PathExists(data + kHistoryFileName) && !PathExists(data + L"data.journal");
        });
        if (sealed)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "copied bytes in " << testing::PrintToString(holding)
                                             << ", files " << testing::PrintToString(FolderEntries(data));
    }

    TempFolder m_folder;
    std::optional<ProcessUnderTest> m_quillary;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

TEST_F(Encryption, TheFolderHoldsNoCopiedBytesAndTheHistoryComesBackAfterAKillAnExitAndAnOlderVersion)
{
    StoredSettings settings;
    settings.encrypt = 1;
    settings.recordPictures = 1;
    // A plain history from before the option was chosen: it is written anew, sealed.
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, {"Plain-Before-7001"}));
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"Secret-Encrypted-3391"));
    ASSERT_TRUE(PutPictureOnClipboard(Picture{8, 4, std::vector<std::uint32_t>(32, 0x123456)}));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(m_list).ItemCount() == 3; }));
    std::vector<std::string> copied = FormsOf("Secret-Encrypted-3391");
    for (const std::string& form : FormsOf("Plain-Before-7001"))
        copied.push_back(form);
    std::string pixels;  // a row of the picture, as a BMP file holds it
    for (int i = 0; i < 8; ++i)
        pixels += "\x56\x34\x12";
    copied.push_back(pixels);
    EXPECT_TRUE(SealedWithout(m_folder, copied));
    const std::vector<std::wstring> shown = Labels();

    Sleep(1000);  // the journal's second
    ASSERT_TRUE(m_quillary->Kill());
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    EXPECT_EQ(Labels(), shown) << "after a kill";
    ASSERT_TRUE(m_quillary->End());
    EXPECT_TRUE(SealedWithout(m_folder, copied));

    // An older version finds no history it knows, starts empty and writes plain files.
    StoredSettings older;
    older.entryCount = 1;
    ASSERT_TRUE(WriteFileBytes(Data(m_folder) + kOptionsFileName, SettingsFileBytes(older).substr(0, 34)));
    ASSERT_TRUE(WriteFileBytes(Data(m_folder) + kHistoryFileName, TextRecordBytes("Older-Version-5150")));
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    // A picture read from its file is labelled by its size.
    std::vector<std::wstring> merged = shown;
    merged[0] = L"Bitmap: 8x4 32bits";
    merged.push_back(L"Older-Version-5150");
    EXPECT_EQ(Labels(), merged) << "after an older version";
    copied.push_back("Older-Version-5150");
    EXPECT_TRUE(SealedWithout(m_folder, copied));
}

TEST_F(Encryption, AKeyThisAccountCannotOpenSetsTheHistoryAsideAndANewOneBegins)
{
    StoredSettings settings;
    settings.encrypt = 1;
    TempFolder other;
    for (const TempFolder* folder : {&other, &m_folder}) {
        ASSERT_TRUE(PrepareTextHistory(folder->Path(), settings, {"Kept-Aside-2468"}));
        ASSERT_NO_FATAL_FAILURE(Start(*folder));
        ASSERT_TRUE(SealedWithout(*folder, FormsOf("Kept-Aside-2468")));
        ASSERT_TRUE(m_quillary->End());
    }
    // The key file of another folder: it unwraps, but opens nothing here.
    const std::wstring data = Data(m_folder);
    const std::string sealedHistory = ReadFileBytes(data + L"data.qdata");
    ASSERT_TRUE(WriteFileBytes(data + kKeyFile, ReadFileBytes(Data(other) + kKeyFile)));
    const std::string foreignKey = ReadFileBytes(data + kKeyFile);

    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    EXPECT_EQ(RemoteListView(m_list).ItemCount(), 0);
    std::vector<std::wstring> entries = FolderEntries(data);
    const auto aside = std::find_if(entries.begin(), entries.end(),
                                    [](const std::wstring& name) { return name.rfind(L"set aside ", 0) == 0; });
    ASSERT_NE(aside, entries.end()) << testing::PrintToString(entries);
    EXPECT_EQ(ReadFileBytes(data + *aside + L"\\data.qdata"), sealedHistory) << "the history was changed";
    EXPECT_EQ(ReadFileBytes(data + *aside + L"\\" + kKeyFile), foreignKey);
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"Fresh-Start-1357"));
    EXPECT_TRUE(SealedWithout(m_folder, FormsOf("Fresh-Start-1357")));
    EXPECT_NE(ReadFileBytes(data + kKeyFile), foreignKey) << "the new history has a key of its own";
}

}  // namespace
