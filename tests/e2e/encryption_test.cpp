// "Encrypt the history": the data folder holds none of the copied texts or pixels in any
// form, the history comes back after a kill and after an exit, plain files an older
// version wrote beside it are merged in, and a key this account cannot open (the key file
// of another folder) sets the history aside untouched and starts a new one. A key file
// moved away never costs the sealed history: it is set aside whole, and the user is told;
// a damaged picture costs its own entry, and saving goes on.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DiskSearch.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/NotificationArea.h"
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
constexpr WORD kDeleteCommand = 32776;
constexpr std::chrono::seconds kBalloonTimeout{20};

// The sealed files of a data folder (all but the settings), by name, with their bytes.
std::vector<std::pair<std::wstring, std::string>> SealedFiles(const std::wstring& data)
{
    std::vector<std::pair<std::wstring, std::string>> files;
    for (const std::wstring& name : FolderEntries(data)) {
        if (name != kOptionsFileName && name.find(L"set aside") != 0)
            files.emplace_back(name, ReadFileBytes(data + name));
    }
    return files;
}

// The folder a history was set aside in, or empty.
std::wstring SetAsideFolder(const std::wstring& data)
{
    for (const std::wstring& name : FolderEntries(data)) {
        if (name.rfind(L"set aside ", 0) == 0)
            return data + name + L"\\";
    }
    return {};
}

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

TEST_F(Encryption, AKeyFileMovedAwayNeverCostsTheSealedHistoryItIsSetAsideWholeAndTheUserIsTold)
{
    StoredSettings settings;
    settings.encrypt = 1;
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, {"Sealed-Before-8123"}));
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"Sealed-Journal-8124"));
    ASSERT_TRUE(SealedWithout(m_folder, FormsOf("Sealed-Journal-8124")));
    Sleep(1000);  // the journal's second
    ASSERT_TRUE(m_quillary->Kill());
    const std::wstring data = Data(m_folder);
    // Moved away, or not yet brought by a sync program: the next start finds no key.
    ASSERT_TRUE(MoveFileW((data + kKeyFile).c_str(), (m_folder.Path() + L"\\moved.key").c_str()));
    const auto sealed = SealedFiles(data);
    ASSERT_TRUE(std::any_of(sealed.begin(), sealed.end(), [](const auto& file) { return file.first == L"data.qjournal"; }));

    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    std::wstring told;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const std::wstring& text : ShownBalloonTexts()) {
                if (text.find(L"history.key is missing") != std::wstring::npos)
                    told = text;
            }
            return !told.empty();
        },
        kBalloonTimeout))
        << "no balloon says that the key is missing";
    EXPECT_EQ(RemoteListView(m_list).ItemCount(), 0);
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"After-Key-8125"));
    ASSERT_TRUE(m_quillary->End());

    // Every sealed file is kept, byte for byte, in the folder the balloon names.
    const std::wstring aside = SetAsideFolder(data);
    ASSERT_FALSE(aside.empty()) << testing::PrintToString(FolderEntries(data));
    EXPECT_NE(told.find(aside.substr(0, aside.size() - 1)), std::wstring::npos) << testing::PrintToString(told);
    for (const auto& file : sealed)
        EXPECT_EQ(ReadFileBytes(aside + file.first), file.second) << testing::PrintToString(file.first);
    // Put back with its key, the history opens again whole.
    ASSERT_TRUE(MoveFileW((m_folder.Path() + L"\\moved.key").c_str(), (aside + kKeyFile).c_str()));
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"After-Key-8125"}));
    ASSERT_TRUE(m_quillary->End());
    for (const std::wstring& name : FolderEntries(data)) {
        if (name.find(L"set aside") != 0)
            DeleteFileW((data + name).c_str());
    }
    for (const auto& file : sealed)
        ASSERT_TRUE(MoveFileW((aside + file.first).c_str(), (data + file.first).c_str()));
    ASSERT_TRUE(MoveFileW((aside + kKeyFile).c_str(), (data + kKeyFile).c_str()));
    ASSERT_TRUE(WriteFileBytes(data + kOptionsFileName, SettingsFileBytes(settings)));
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"Sealed-Journal-8124", L"Sealed-Before-8123"}));
}

TEST_F(Encryption, ADamagedPictureCostsItsOwnEntryAndEveryChangeAfterItStillReachesTheDisk)
{
    StoredSettings settings;
    settings.encrypt = 1;
    settings.recordPictures = 1;
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, {"Kept-Text-3301", "Deleted-Text-3302"}));
    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    ASSERT_TRUE(PutPictureOnClipboard(Picture{8, 4, std::vector<std::uint32_t>(32, 0x445566)}));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(m_list).ItemCount() == 3; }));
    ASSERT_TRUE(m_quillary->End());
    // A bad sector in the picture's sealed file.
    const std::wstring data = Data(m_folder);
    const std::wstring picture = data + L"0.qdat";
    std::string bytes = ReadFileBytes(picture);
    ASSERT_GT(bytes.size(), 100u) << testing::PrintToString(FolderEntries(data));
    bytes[bytes.size() / 2] ^= 0x20;
    ASSERT_TRUE(WriteFileBytes(picture, bytes));

    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"Kept-Text-3301", L"Deleted-Text-3302"}));
    ASSERT_TRUE(SelectOnlyRows(m_list, {1}));
    ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"Copied-After-3303"));
    ASSERT_TRUE(m_quillary->End());

    ASSERT_NO_FATAL_FAILURE(Start(m_folder));
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"Copied-After-3303", L"Kept-Text-3301"}));
    EXPECT_TRUE(SealedWithout(m_folder, FormsOf("Deleted-Text-3302")));
}

}  // namespace
