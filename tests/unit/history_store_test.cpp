// The settings and history files through the store, on real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/saveset/FullSave.h"
#include "history/store/HistoryStore.h"
#include "file_test_support.h"

#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace file_test;

class StoreTest : public testing::Test {
protected:
    void TearDown() override { history.Clear(); }

    std::wstring Path(const wchar_t* name) const { return folder + name; }
    std::wstring Names() const
    {
        std::wstring names;
        for (const std::wstring& name : temp.Names())
            names += (names.empty() ? L"" : L" ") + name;
        return names;
    }
    void AddText(const std::wstring& text)
    {
        HistoryEntry entry;
        entry.id = history.NewId();
        entry.text = std::make_shared<const std::wstring>(text);
        history.Append(std::move(entry));
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
    void AddBitmap(HBITMAP bitmap)
    {
        HistoryEntry entry;
        entry.id = history.NewId();
        entry.picture = std::make_shared<const EntryPicture>(UniqueBitmap(bitmap), L"Bitmap");
        history.Append(std::move(entry));
    }
    // Saves as the exit does.
    bool SaveAll()
    {
        SaveSnapshot snapshot;
        snapshot.pictureFiles.resize(static_cast<size_t>(history.Count()));
        for (int row = 0; row < history.Count(); ++row) {
            snapshot.history.entries.push_back(history.At(row));
            std::vector<BYTE>& file = snapshot.pictureFiles[static_cast<size_t>(row)];
            if (history.At(row).IsPicture() &&
                !EncodeBitmapFile(history.At(row).picture->Bitmap(), ScreenColorDepth(), file))
                file.clear();
        }
        snapshot.history.topCount = history.TopCount();
        snapshot.history.options = options;
        FullSave save(folder, snapshot);
        return save.Run([](std::vector<std::vector<std::uint8_t>>&) {}, [](const std::wstring&) {});
    }
    // Starts afresh from the files, as the next start does.
    void Reload()
    {
        history.Release();
        options = ClipOptions();
        store.LoadOptions(Path(L"imgOption.data").c_str());
        store.LoadHistory(Path(L"data.data").c_str());
        history.SetTopCount(options.m_nTopCount);
        history.Loaded();
    }
    std::wstring TextAt(int row) { return *history.At(row).text; }
    std::wstring LabelAt(int row) { return std::wstring(history.At(row).Label()); }

    TempFolder temp{L"store"};
    const std::wstring folder = temp.Path();
    ClipOptions options;
    HistoryModel history;
    HistoryStore store{history, options};
};

TEST_F(StoreTest, DefaultSettingsAndEmptyListGiveTheKnownFiles)
{
    SaveAll();
    Bytes expected = {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0x0A, 0, 0, 0, 0x0A, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0,
                      // Thirteen appended fields: Ctrl+Shift+F, 1000 entries, both flags off, no programs,
                      // no clearing at a lock, no forgetting, no encryption, then the paste keys of
                      // the nine known terminals, each Shift+Insert (1), then no sharing, no folder,
                      // formats up to 1024 KB and no pictures.
                      13, 0, 0, 0, 0x46, 0x03, 0, 0, 0xE8, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,
                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0};
    for (const char* terminal : {"mintty.exe", "putty.exe", "puttytel.exe", "kitty.exe", "mobaxterm.exe", "rxvt.exe",
                                 "conhost.exe", "cmd.exe", "powershell.exe"}) {
        expected.push_back(static_cast<BYTE>(strlen(terminal)));
        expected.insert(expected.end(), terminal, terminal + strlen(terminal));
        expected.insert(expected.end(), {1, 0, 0, 0});
    }
    expected.insert(expected.end(), {0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(expected, ReadWholeFile(Path(L"imgOption.data")));
    EXPECT_TRUE(Exists(Path(L"data.data")));
    EXPECT_TRUE(ReadWholeFile(Path(L"data.data")).empty());
    // A full save leaves the two files, their extras and the journal that starts from them, nothing else.
    EXPECT_EQ(L"data.data data.extras data.journal imgOption.data", Names());
}

TEST_F(StoreTest, TextAndBitmapGiveTheTwelveByteHistoryAndOneBitmapFile)
{
    AddText(L"abc");
    AddBitmap(NewBitmap(10, 10, RGB(255, 0, 0)));
    SaveAll();
    const Bytes expected = {1, 0, 0, 0, 3, 'a', 'b', 'c', 2, 0, 0, 0};
    EXPECT_EQ(expected, ReadWholeFile(Path(L"data.data")));
    EXPECT_TRUE(Exists(Path(L"1.dat")));
    Bytes settings = ReadWholeFile(Path(L"imgOption.data"));
    ASSERT_GT(settings.size(), 71u);
    EXPECT_EQ(2, settings[2]);  // the entry count follows the two empty strings

    Reload();
    ASSERT_EQ(2, history.Count());
    EXPECT_EQ(L"abc", TextAt(0));
    ASSERT_TRUE(history.At(1).IsPicture());
    BITMAP bm;
    ASSERT_NE(0, GetObjectW(history.At(1).picture->Bitmap(), sizeof(bm), &bm));
    CString label;
    label.Format(L"Bitmap: 10x10 %dbits", static_cast<int>(bm.bmBitsPixel));
    EXPECT_EQ(label.Str(), LabelAt(1));
}

TEST_F(StoreTest, RoundTripKeepsEntriesLabelsZoneAndSettings)
{
    const std::wstring longText = std::wstring(599, L'x') + L"!";
    const std::wstring unicode = L"grüße € 日本 \xD83D\xDE00";
    AddText(L"top one");
    AddText(longText);
    AddText(unicode);
    AddText(L"plain ascii");
    history.SetTopCount(1);
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
    const Bytes file = ReadWholeFile(Path(L"data.data"));
    const Bytes unicodeMarker = {0xFF, 0xFE, 0xFF};
    EXPECT_NE(file.end(), std::search(file.begin(), file.end(), unicodeMarker.begin(), unicodeMarker.end()));
    const Bytes asciiRecord = {1, 0, 0, 0, 11, 'p', 'l', 'a', 'i', 'n', ' ', 'a', 's', 'c', 'i', 'i'};
    ASSERT_GE(file.size(), asciiRecord.size());
    EXPECT_TRUE(std::equal(asciiRecord.begin(), asciiRecord.end(), file.end() - asciiRecord.size()));

    Reload();
    ASSERT_EQ(4, history.Count());
    EXPECT_EQ(L"top one", TextAt(0));
    EXPECT_EQ(longText, TextAt(1));
    EXPECT_EQ(std::wstring(500, L'x'), LabelAt(1));
    EXPECT_EQ(unicode, TextAt(2));
    EXPECT_EQ(1, history.TopCount());
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
        AddText(L"entry " + std::to_wstring(row));
    SaveAll();
    Bytes file = ReadWholeFile(Path(L"data.data"));
    // Each record is 4 + 1 + 7 bytes; cut the fifth one short.
    file.resize(4 * 12 + 6);
    ASSERT_TRUE(WriteWholeFile(Path(L"data.data"), file));
    Reload();
    ASSERT_EQ(4, history.Count());
    EXPECT_EQ(L"entry 3", TextAt(3));
}

TEST_F(StoreTest, LoadedTextsEndAtTheirFirstNulInEitherStringForm)
{
    AddText(std::wstring(L"ab\0cd", 5));
    AddText(std::wstring(L"\u4E2D\u6587\0tail", 7));  // kept in the UTF-16 form
    SaveAll();
    Reload();
    ASSERT_EQ(2, history.Count());
    EXPECT_EQ(L"ab", TextAt(0));
    EXPECT_EQ(L"\u4E2D\u6587", TextAt(1));
}

TEST_F(StoreTest, MissingBitmapFileSkipsOnlyItsRecord)
{
    AddText(L"first");
    AddBitmap(NewBitmap(4, 4, RGB(0, 0, 255)));
    AddText(L"third");
    SaveAll();
    ASSERT_TRUE(DeleteFileW(Path(L"1.dat").c_str()));
    Reload();
    ASSERT_EQ(2, history.Count());
    EXPECT_EQ(L"first", TextAt(0));
    EXPECT_EQ(L"third", TextAt(1));
}

TEST_F(StoreTest, StoredCountsOutsideTheirRangeAreMadeSafe)
{
    AddText(L"a");
    AddText(L"b");
    SaveAll();

    Bytes settings = ReadWholeFile(Path(L"imgOption.data"));
    settings[14] = 50;  // top count (after two empty strings and three ints)
    ASSERT_TRUE(WriteWholeFile(Path(L"imgOption.data"), settings));
    Reload();
    EXPECT_EQ(2, history.Count());
    EXPECT_EQ(2, history.TopCount());

    settings[2] = 0xFF;  // entry count -1
    settings[3] = settings[4] = settings[5] = 0xFF;
    ASSERT_TRUE(WriteWholeFile(Path(L"imgOption.data"), settings));
    Reload();
    EXPECT_EQ(0, history.Count());
    EXPECT_EQ(0, history.TopCount());
}

TEST_F(StoreTest, TruncatedSettingsKeepTheValuesNotReached)
{
    options.m_strBefore = L"before";
    for (const wchar_t* text : {L"a", L"b", L"c"})
        AddText(text);
    history.SetTopCount(3);
    options.m_rcWindow = RECT{100, 200, 300, 400};
    SaveAll();
    Bytes settings = ReadWholeFile(Path(L"imgOption.data"));
    settings.resize(7 + 1 + 16);  // the two strings and the four ints: no rectangle
    ASSERT_TRUE(WriteWholeFile(Path(L"imgOption.data"), settings));
    options = ClipOptions();
    EXPECT_TRUE(store.LoadOptions(Path(L"imgOption.data").c_str()));
    EXPECT_EQ(L"before", options.m_strBefore.Str());
    EXPECT_EQ(3, options.m_nTopCount);
    EXPECT_EQ(10, options.m_rcWindow.left);
    EXPECT_EQ(300, options.m_rcWindow.bottom);
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
        ASSERT_TRUE(WriteWholeFile(Path(L"imgOption.data"), settings));
        ASSERT_TRUE(WriteWholeFile(Path(L"data.data"), records));
        Reload();
        EXPECT_LE(history.Count(), 40);
        EXPECT_GE(history.TopCount(), 0);
        EXPECT_LE(history.TopCount(), history.Count());
    }
}

}  // namespace
