// Files, the archive over them, the system code page and the crash-safe
// writer, on real files in a fresh temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/AnsiCodePage.h"
#include "framework/CArchive.h"
#include "framework/CFile.h"
#include "history/store/saveset/SaveSet.h"
#include "history/store/formats/HistoryFormat.h"
#include "history/store/formats/SettingsFormat.h"
#include "file_test_support.h"

namespace {

using namespace file_test;

// Latin-1 stands in for a code page, so the UTF-16 form can be forced with any text.
class Latin1 : public AnsiCodec {
public:
    bool Encode(std::u16string_view text, std::string& out) const override
    {
        out.clear();
        for (char16_t unit : text) {
            if (unit > 0xFF)
                return false;
            out.push_back(static_cast<char>(unit));
        }
        return true;
    }
    std::u16string Decode(const std::string& bytes) const override
    {
        std::u16string text;
        for (char byte : bytes)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
        return text;
    }
};

TEST(CFileTest, OpenModesLengthAndPosition)
{
    TempFolder folder(L"files");
    const std::wstring path = folder / L"plain.bin";
    CFile file;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead));  // no such file yet
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write("0123456789", 10);
    EXPECT_EQ(file.GetPosition(), 10u);
    EXPECT_EQ(file.GetLength(), 10u);
    file.Close();
    EXPECT_FALSE(file.IsOpen());

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    // Another writer is kept out while the file is open with shareDenyWrite.
    CFile writer;
    EXPECT_FALSE(writer.Open(path.c_str(), CFile::modeWrite));
    EXPECT_EQ(file.Seek(4, CFile::begin), 4u);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(file.Seek(-2, CFile::end), 8u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    file.Close();

    // modeCreate truncates.
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Close();
    EXPECT_TRUE(ReadWholeFile(path).empty());
}

TEST(CFileTest, WritingToAReadOnlyHandleThrows)
{
    TempFolder folder(L"files");
    const std::wstring path = folder / L"ro.bin";
    ASSERT_TRUE(WriteWholeFile(path, Bytes{1, 2, 3}));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    EXPECT_THROW(file.Write("x", 1), CFileWriteError);
}

TEST(CArchiveTest, RoundTripThroughARealFileAcrossBufferBoundaries)
{
    TempFolder folder(L"files");
    const std::wstring path = folder / L"archive.bin";
    const std::wstring texts[] = {L"", L"abc", L"two\r\nlines", std::wstring(300, L'y'), std::wstring(70000, L'z'),
                                  L"\u65E5\u672C\u8A9E \U0001F600", std::wstring(1, wchar_t(0xD800))};
    const BYTE raw[16] = {0x0A, 0, 0, 0, 0x0B, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0};
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        EXPECT_TRUE(ar.IsStoring());
        for (int i = 0; i < 200; ++i)
            ar << i * 7919 - 500000;
        for (const std::wstring& text : texts)
            ar << text;
        ar.Write(raw, sizeof raw);
        ar.Close();
    }
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    EXPECT_TRUE(ar.IsLoading());
    for (int i = 0; i < 200; ++i) {
        int value = 0;
        ar >> value;
        ASSERT_EQ(value, i * 7919 - 500000);
    }
    for (const std::wstring& text : texts) {
        std::wstring loaded;
        ar >> loaded;
        EXPECT_EQ(loaded, text);
    }
    // The rectangle is a plain read: only 16 bytes remain, asking for more gets 16.
    BYTE back[20] = {};
    EXPECT_EQ(ar.Read(back, sizeof back), 16u);
    EXPECT_EQ(Bytes(back, back + 16), Bytes(raw, raw + 16));
    int past = 0;
    EXPECT_THROW(ar >> past, ArchiveEndOfFile);
}

TEST(CArchiveTest, SystemCodePageTextIsEightBitOtherTextUtf16)
{
    TempFolder folder(L"files");
    const std::wstring path = folder / L"forms.bin";
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        ar << std::wstring(L"abc") << std::wstring(L"a\U0001F600");
        ar.Close();
    }
    // No ANSI code page but UTF-8 holds an emoji; a UTF-8 system writes it as 8-bit bytes.
    const Bytes utf16{0x03, 'a', 'b', 'c', 0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0x3D, 0xD8, 0x00, 0xDE};
    const Bytes utf8{0x03, 'a', 'b', 'c', 0x05, 'a', 0xF0, 0x9F, 0x98, 0x80};
    EXPECT_EQ(ReadWholeFile(path), GetACP() == CP_UTF8 ? utf8 : utf16);
}

TEST(CArchiveTest, SettingsAndHistoryThroughTheArchive)
{
    TempFolder folder(L"files");
    const std::wstring settingsPath = folder / L"imgOption.data";
    const std::wstring historyPath = folder / L"data.data";
    {
        CFile file;
        ASSERT_TRUE(file.Open(settingsPath.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        SettingsRecord defaults;
        defaults.pasteKeys.clear();
        WriteSettings(ar, defaults, ar.Codec());
        ar.Close();
    }
    EXPECT_EQ(ReadWholeFile(settingsPath),
              (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     0x0A, 0, 0, 0, 0x0A, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0,
                     13, 0, 0, 0, 0x46, 0x03, 0, 0, 0xE8, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     0, 4, 0, 0, 0, 0, 0, 0}));
    {
        CFile file;
        ASSERT_TRUE(file.Open(historyPath.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        WriteTextRecord(ar, u"abc", ar.Codec());
        WriteBitmapRecord(ar);
        ar.Close();
    }
    EXPECT_EQ(ReadWholeFile(historyPath), (Bytes{1, 0, 0, 0, 3, 'a', 'b', 'c', 2, 0, 0, 0}));

    // A settings file cut inside the rectangle keeps the rest of the old rectangle.
    Bytes cut = ReadWholeFile(settingsPath);
    cut.resize(34 - 6);
    ASSERT_TRUE(WriteWholeFile(settingsPath, cut));
    CFile file;
    ASSERT_TRUE(file.Open(settingsPath.c_str(), CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    SettingsRecord record;
    record.rect[2] = 0x12345678;
    record.rect[3] = -7;
    EXPECT_FALSE(ReadSettings(ar, record, ar.Codec()));
    EXPECT_EQ(record.rect[1], 10);
    EXPECT_EQ(record.rect[2], 0x123400C8);
    EXPECT_EQ(record.rect[3], -7);
}

TEST(CArchiveTest, InjectedCodecForcesTheUtf16Form)
{
    TempFolder folder(L"files");
    const std::wstring path = folder / L"latin1.bin";
    const Latin1 codec;
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store, 512, &codec);
        ar << std::wstring(L"\u00E9") << std::wstring(L"\u0101");
        ar.Close();
    }
    EXPECT_EQ(ReadWholeFile(path), (Bytes{0x01, 0xE9, 0xFF, 0xFE, 0xFF, 0x01, 0x01, 0x01}));
}

TEST(AnsiCodePageTest, LossyTextIsRefusedAndEncodableTextRoundTrips)
{
    const AnsiCodePage& codec = AnsiCodePage::System();
    std::string bytes;
    EXPECT_TRUE(codec.Encode(u"", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(codec.Encode(u"Plain text\r\n", bytes));
    EXPECT_EQ(bytes, "Plain text\r\n");
    EXPECT_EQ(codec.Decode(bytes), u"Plain text\r\n");
    // A lone surrogate fits no code page.
    EXPECT_FALSE(codec.Encode(std::u16string(1, char16_t(0xDC00)), bytes));
    // Also behind a long ASCII run, which takes no conversion of its own.
    EXPECT_FALSE(codec.Encode(std::u16string(5000, u'a') + char16_t(0xDC00), bytes));
    EXPECT_TRUE(bytes.empty());
    if (GetACP() == 1252) {
        // a with macron has only a best-fit "a" in 1252: refused, not flattened.
        EXPECT_FALSE(codec.Encode(u"\u0101", bytes));
        EXPECT_FALSE(codec.Encode(u"\U0001F600", bytes));
        EXPECT_TRUE(codec.Encode(u"caf\u00E9 \u20AC", bytes));
        EXPECT_EQ(bytes, "caf\xE9 \x80");
        EXPECT_EQ(codec.Decode(bytes), u"caf\u00E9 \u20AC");
    }
}

class SaveSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = folder / L"data.data";
        ASSERT_TRUE(WriteWholeFile(target, oldContent));
    }
    void TearDown() override { SaveSet::SetInterruptionForTesting(nullptr); }

    // Writes 2000 bytes through an archive (its 512-byte buffer makes four writes).
    bool SaveNewContent()
    {
        SaveSet set(folder / L"");
        return set.AddFile(L"data.data",
                           [](CFile& file) {
                               CArchive ar(&file, CArchive::store);
                               for (int i = 0; i < 500; ++i)
                                   ar << i;
                               ar.Close();
                           }) &&
               set.Commit();
    }
    bool Save(const std::function<void(CFile&)>& body)
    {
        SaveSet set(folder / L"");
        return set.AddFile(L"data.data", body) && set.Commit();
    }

    void ExpectOldFileAloneInFolder()
    {
        EXPECT_EQ(ReadWholeFile(target), oldContent);
        EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"data.data"});
    }

    TempFolder folder{L"files"};
    std::wstring target;
    const Bytes oldContent{'o', 'l', 'd', 0, 1, 2, 3};
};

TEST_F(SaveSetTest, SuccessReplacesTheFileAndLeavesNothingElse)
{
    EXPECT_TRUE(SaveNewContent());
    const Bytes written = ReadWholeFile(target);
    ASSERT_EQ(written.size(), 2000u);
    EXPECT_EQ(written[4 * 499], 499 & 0xFF);
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"data.data"});
}

TEST_F(SaveSetTest, FailingContentKeepsTheOldFileWhole)
{
    // Content that cannot be produced, a write that failed inside the body (and
    // was caught there), and an archive never closed all spoil the new file.
    EXPECT_FALSE(Save([](CFile& file) {
        file.Write("new", 3);
        throw CFileWriteError(ERROR_DISK_FULL);
    }));
    ExpectOldFileAloneInFolder();
    EXPECT_FALSE(Save([](CFile& file) {
        file.Write("new", 3);
        file.MarkWriteFailed(ERROR_DISK_FULL);
        file.Write("rest", 4);
    }));
    ExpectOldFileAloneInFolder();
    EXPECT_FALSE(Save([](CFile& file) {
        CArchive ar(&file, CArchive::store);
        ar << 1;
        ar.Flush();
    }));
    ExpectOldFileAloneInFolder();
    // A folder that is gone fails without creating anything.
    SaveSet elsewhere(folder / L"missing\\");
    EXPECT_FALSE(elsewhere.AddFile(L"data.data", [](CFile& file) { file.Write("x", 1); }));
    ExpectOldFileAloneInFolder();
}

TEST_F(SaveSetTest, EachSaveHasItsTemporaryAndOnlyThoseOfSavesInProgressOutliveRecovery)
{
    // No process has a process id this large; the other name is this process's, of no save in progress
    // (as after a reboot gave a running program the id of the one that wrote it).
    const std::wstring abandoned = target + L".4294967292-3.qtmp";
    const std::wstring reused = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-999999.qtmp";
    ASSERT_TRUE(WriteWholeFile(abandoned, Bytes(5000, 'x')));
    ASSERT_TRUE(WriteWholeFile(reused, Bytes(10, 'y')));
    SaveSet first(folder / L"");
    SaveSet second(folder / L"");
    EXPECT_NE(first.TemporaryPath(L"data.data"), second.TemporaryPath(L"data.data"));
    ASSERT_TRUE(first.AddFile(L"data.data", [](CFile& file) { file.Write("one", 3); }));
    ASSERT_TRUE(second.AddFile(L"data.data", [](CFile& file) { file.Write("two", 3); }));
    EXPECT_TRUE(first.Commit());
    EXPECT_TRUE(second.Commit());
    EXPECT_EQ(ReadWholeFile(target), (Bytes{'t', 'w', 'o'}));
    SaveSet inProgress(folder / L"");
    ASSERT_TRUE(inProgress.AddFile(L"data.data", [](CFile& file) { file.Write("three", 5); }));
    EXPECT_TRUE(SaveSet::Recover(folder / L""));
    EXPECT_FALSE(Exists(abandoned));
    EXPECT_FALSE(Exists(reused));
    EXPECT_TRUE(Exists(inProgress.TemporaryPath(L"data.data")));
}

DWORD WINAPI CloseAfter300Ms(void* file)
{
    Sleep(300);
    CloseHandle(file);
    return 0;
}

TEST_F(SaveSetTest, FileHeldByAnotherProgramIsReplacedIfLetGoWithinASecond)
{
    // A backup or virus-scanning program holds the file open without sharing.
    auto hold = [this] { return CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); };
    HANDLE held = hold();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveNewContent()) << "held through every retry";
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(target), oldContent);
    // The save stands as its intent: the next start finishes it.
    EXPECT_TRUE(SaveSet::Recover(folder / L""));
    EXPECT_EQ(ReadWholeFile(target).size(), 2000u);
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"data.data"});

    ASSERT_TRUE(WriteWholeFile(target, oldContent));
    held = hold();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE letGo = CreateThread(nullptr, 0, CloseAfter300Ms, held, 0, nullptr);
    EXPECT_TRUE(SaveNewContent());
    WaitForSingleObject(letGo, INFINITE);
    CloseHandle(letGo);
    EXPECT_EQ(ReadWholeFile(target).size(), 2000u);
}

}  // namespace
