// The settings and history files through the store, on real files and a real list view.
#include <gtest/gtest.h>

#include "framework/SafeFileWriter.h"
#include "history/HistoryStore.h"

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const std::wstring& path)
{
    Bytes bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD got = 0;
    if (size)
        ReadFile(file, bytes.data(), size, &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void WriteAll(const std::wstring& path, const Bytes& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class StoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"quillary-store-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter++) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        dataDir = folder.c_str();
        host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 200, 300, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        RECT rect = {0, 0, 200, 300};
        ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, rect, CWnd::FromHandle(host), 1005));
        list.InsertColumn(0, L"Txt", LVCFMT_LEFT, 300);
    }
    void TearDown() override
    {
        history.ClearHistory();
        list.DestroyWindow();
        DestroyWindow(host);
        CWnd::DeleteTempMap();
        SafeFileWriter::SetFaultHookForTesting(nullptr);
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring Path(const wchar_t* name) const { return folder + name; }
    void AddText(int row, const std::wstring& text, int image = HistoryList::kImageText)
    {
        history.InsertEntry(row, HistoryList::MakeLabel(text.c_str()), image,
                            reinterpret_cast<LPARAM>(HistoryList::NewTextBlock(text.c_str(), text.size())));
    }
    HBITMAP NewBitmap(int width, int height, COLORREF colour)
    {
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return bitmap;
    }
    void AddBitmap(int row, HBITMAP bitmap)
    {
        history.InsertEntry(row, L"Bitmap", HistoryList::kImageBitmap, reinterpret_cast<LPARAM>(bitmap));
    }
    // Saves as the exit does: the history first, then the settings that count it.
    void SaveAll()
    {
        options.m_nEntryCount = history.Count();
        store.SaveHistory(Path(L"data.data").c_str());
        store.SaveOptions(Path(L"imgOption.data").c_str());
    }
    // Starts afresh from the files, as the next start does.
    void Reload()
    {
        history.ClearHistory();
        options = ClipOptions();
        store.LoadOptions(Path(L"imgOption.data").c_str());
        store.LoadHistory(Path(L"data.data").c_str());
    }
    std::wstring TextAt(int row) { return reinterpret_cast<const wchar_t*>(history.DataAt(row)); }

    static int counter;
    std::wstring folder;
    CString dataDir;
    HWND host = nullptr;
    CListCtrl list;
    ClipOptions options;
    HistoryList history{list, options.m_nTopCount};
    HistoryStore store{history, options, dataDir};
};
int StoreTest::counter = 0;

TEST_F(StoreTest, DefaultSettingsAndEmptyListGiveTheKnownFiles)
{
    SaveAll();
    const Bytes expected = {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0x0A, 0, 0, 0, 0x0A, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0,
                            // Five appended fields: Ctrl+Shift+F, 1000 entries, both flags off, no programs.
                            5, 0, 0, 0, 0x46, 0x03, 0, 0, 0xE8, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00};
    EXPECT_EQ(expected, ReadAll(Path(L"imgOption.data")));
    EXPECT_TRUE(Exists(Path(L"data.data")));
    EXPECT_TRUE(ReadAll(Path(L"data.data")).empty());
    EXPECT_FALSE(Exists(Path(L"data.data.tmp")));
}

TEST_F(StoreTest, TextAndBitmapGiveTheTwelveByteHistoryAndOneBitmapFile)
{
    AddText(0, L"abc");
    AddBitmap(1, NewBitmap(10, 10, RGB(255, 0, 0)));
    SaveAll();
    const Bytes expected = {1, 0, 0, 0, 3, 'a', 'b', 'c', 2, 0, 0, 0};
    EXPECT_EQ(expected, ReadAll(Path(L"data.data")));
    EXPECT_TRUE(Exists(Path(L"1.dat")));
    Bytes settings = ReadAll(Path(L"imgOption.data"));
    ASSERT_EQ(55u, settings.size());
    EXPECT_EQ(2, settings[2]);  // the entry count follows the two empty strings

    Reload();
    ASSERT_EQ(2, history.Count());
    EXPECT_EQ(L"abc", TextAt(0));
    ASSERT_TRUE(HistoryList::IsBitmapEntry(history.DataAt(1)));
    BITMAP bm;
    GetObjectW(reinterpret_cast<HGDIOBJ>(history.DataAt(1)), sizeof(bm), &bm);
    CString label;
    label.Format(L"Bitmap: 10x10 %dbits", static_cast<int>(bm.bmBitsPixel));
    EXPECT_EQ(label, list.GetItemText(1, 0));
    EXPECT_EQ(HistoryList::kImageBitmap, list.GetItemImage(1));
}

TEST_F(StoreTest, RoundTripKeepsEntriesLabelsZoneAndSettings)
{
    const std::wstring longText = std::wstring(599, L'x') + L"!";
    const std::wstring unicode = L"grüße € 日本 \xD83D\xDE00";
    AddText(0, L"top one", HistoryList::kImageTextTop);
    AddText(1, longText);
    AddText(2, unicode);
    AddText(3, L"plain ascii");
    options.m_nTopCount = 1;
    options.m_strBefore = L"<<\r\n";
    options.m_strAfter = L">>";
    options.m_bCompoundPaste = 1;
    options.m_bAutoRun = 1;
    options.m_rcWindow = RECT{-5, 40, 300, 500};
    options.m_nSummonHotkey = MAKEWORD(VK_F9, HOTKEYF_ALT | HOTKEYF_SHIFT);
    options.m_nHistorySize = 42;
    options.m_bNoRepeats = 1;
    options.m_bRecordPictures = 1;
    options.m_strIgnoredPrograms = L"KeePass.exe\r\nC:\\Tools\\日本.exe";
    SaveAll();

    // The Unicode text is stored in the 16-bit form; the ASCII one in the 8-bit form.
    const Bytes file = ReadAll(Path(L"data.data"));
    const Bytes unicodeMarker = {0xFF, 0xFE, 0xFF};
    EXPECT_NE(file.end(), std::search(file.begin(), file.end(), unicodeMarker.begin(), unicodeMarker.end()));
    const Bytes asciiRecord = {1, 0, 0, 0, 11, 'p', 'l', 'a', 'i', 'n', ' ', 'a', 's', 'c', 'i', 'i'};
    ASSERT_GE(file.size(), asciiRecord.size());
    EXPECT_TRUE(std::equal(asciiRecord.begin(), asciiRecord.end(), file.end() - asciiRecord.size()));

    Reload();
    ASSERT_EQ(4, history.Count());
    EXPECT_EQ(L"top one", TextAt(0));
    EXPECT_EQ(longText, TextAt(1));
    EXPECT_EQ(std::wstring(500, L'x'), list.GetItemText(1, 0).Str());
    EXPECT_EQ(unicode, TextAt(2));
    EXPECT_EQ(unicode, list.GetItemText(2, 0).Str());
    EXPECT_EQ(HistoryList::kImageTextTop, list.GetItemImage(0));
    EXPECT_EQ(HistoryList::kImageText, list.GetItemImage(1));
    EXPECT_EQ(1, options.m_nTopCount);
    EXPECT_EQ(L"<<\r\n", options.m_strBefore.Str());
    EXPECT_EQ(L">>", options.m_strAfter.Str());
    EXPECT_EQ(1, options.m_bCompoundPaste);
    EXPECT_EQ(1, options.m_bAutoRun);
    EXPECT_EQ(-5, options.m_rcWindow.left);
    EXPECT_EQ(500, options.m_rcWindow.bottom);
    EXPECT_EQ(MAKEWORD(VK_F9, HOTKEYF_ALT | HOTKEYF_SHIFT), options.m_nSummonHotkey);
    EXPECT_EQ(42, options.m_nHistorySize);
    EXPECT_EQ(1, options.m_bNoRepeats);
    EXPECT_EQ(1, options.m_bRecordPictures);
    EXPECT_EQ(L"KeePass.exe\r\nC:\\Tools\\日本.exe", options.m_strIgnoredPrograms.Str());
}

TEST_F(StoreTest, HistoryEndingInsideTheFifthRecordLoadsFour)
{
    for (int row = 0; row < 6; ++row)
        AddText(row, L"entry " + std::to_wstring(row));
    SaveAll();
    Bytes file = ReadAll(Path(L"data.data"));
    // Each record is 4 + 1 + 7 bytes; cut the fifth one short.
    file.resize(4 * 12 + 6);
    WriteAll(Path(L"data.data"), file);
    Reload();
    ASSERT_EQ(4, history.Count());
    EXPECT_EQ(L"entry 3", TextAt(3));
}

TEST_F(StoreTest, MissingBitmapFileSkipsOnlyItsRecord)
{
    AddText(0, L"first");
    AddBitmap(1, NewBitmap(4, 4, RGB(0, 0, 255)));
    AddText(2, L"third");
    SaveAll();
    ASSERT_TRUE(DeleteFileW(Path(L"1.dat").c_str()));
    Reload();
    ASSERT_EQ(2, history.Count());
    EXPECT_EQ(L"first", TextAt(0));
    EXPECT_EQ(L"third", TextAt(1));
}

TEST_F(StoreTest, StoredCountsOutsideTheirRangeAreMadeSafe)
{
    AddText(0, L"a");
    AddText(1, L"b");
    SaveAll();

    Bytes settings = ReadAll(Path(L"imgOption.data"));
    settings[14] = 50;  // top count (after two empty strings and three ints)
    WriteAll(Path(L"imgOption.data"), settings);
    Reload();
    EXPECT_EQ(2, history.Count());
    EXPECT_EQ(2, options.m_nTopCount);

    settings[2] = 0xFF;  // entry count -1
    settings[3] = settings[4] = settings[5] = 0xFF;
    WriteAll(Path(L"imgOption.data"), settings);
    Reload();
    EXPECT_EQ(0, history.Count());
    EXPECT_EQ(0, options.m_nTopCount);
}

TEST_F(StoreTest, TruncatedSettingsKeepTheValuesNotReached)
{
    options.m_strBefore = L"before";
    options.m_nTopCount = 3;
    options.m_rcWindow = RECT{100, 200, 300, 400};
    SaveAll();
    Bytes settings = ReadAll(Path(L"imgOption.data"));
    settings.resize(7 + 1 + 16);  // the two strings and the four ints: no rectangle
    WriteAll(Path(L"imgOption.data"), settings);
    history.ClearHistory();
    options = ClipOptions();
    EXPECT_TRUE(store.LoadOptions(Path(L"imgOption.data").c_str()));
    EXPECT_EQ(L"before", options.m_strBefore.Str());
    EXPECT_EQ(3, options.m_nTopCount);
    EXPECT_EQ(10, options.m_rcWindow.left);
    EXPECT_EQ(300, options.m_rcWindow.bottom);
}

TEST_F(StoreTest, FailedSaveLeavesTheOldFilesByteForByte)
{
    AddText(0, L"kept");
    options.m_strBefore = L"old";
    SaveAll();
    const Bytes oldHistory = ReadAll(Path(L"data.data"));
    const Bytes oldSettings = ReadAll(Path(L"imgOption.data"));

    AddText(0, std::wstring(5000, L'n'));
    options.m_strBefore = L"new";
    SafeFileWriter::SetFaultHookForTesting([](SafeFileWriter::Stage stage, ULONGLONG written) {
        return stage == SafeFileWriter::Stage::Write && written > 100;
    });
    options.m_nEntryCount = history.Count();
    EXPECT_FALSE(store.SaveHistory(Path(L"data.data").c_str()));
    SafeFileWriter::SetFaultHookForTesting([](SafeFileWriter::Stage stage, ULONGLONG) {
        return stage == SafeFileWriter::Stage::Replace;
    });
    EXPECT_FALSE(store.SaveOptions(Path(L"imgOption.data").c_str()));
    SafeFileWriter::SetFaultHookForTesting(nullptr);

    EXPECT_EQ(oldHistory, ReadAll(Path(L"data.data")));
    EXPECT_EQ(oldSettings, ReadAll(Path(L"imgOption.data")));
    EXPECT_FALSE(Exists(Path(L"data.data.tmp")));
    EXPECT_FALSE(Exists(Path(L"imgOption.data.tmp")));

    // A data folder that is gone makes the saves fail without a trace.
    CString missing = CString(folder.c_str()) + L"missing\\";
    EXPECT_FALSE(store.SaveOptions(missing + L"imgOption.data"));
}

TEST_F(StoreTest, RandomBytesInEitherFileNeverCrash)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 60; ++round) {
        Bytes settings(random() % 64);
        for (auto& byte : settings)
            byte = static_cast<unsigned char>(random());
        Bytes records(random() % 256);
        for (auto& byte : records)
            byte = static_cast<unsigned char>(random() % 4 == 0 ? 0xFF : random());
        // Keep the entry count modest so every round reads records.
        if (settings.size() >= 6) {
            settings[0] = 0;
            settings[1] = 0;
            settings[2] = static_cast<unsigned char>(random() % 40);
            settings[3] = settings[4] = settings[5] = 0;
        }
        WriteAll(Path(L"imgOption.data"), settings);
        WriteAll(Path(L"data.data"), records);
        Reload();
        EXPECT_LE(history.Count(), 40);
        EXPECT_GE(options.m_nTopCount, 0);
        EXPECT_LE(options.m_nTopCount, history.Count());
    }
}

}  // namespace
