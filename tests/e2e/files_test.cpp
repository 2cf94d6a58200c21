// The data folder across runs: exit writes the settings and the history, the next start
// from the same folder shows the same list, top zone and popup rectangle, and a damaged
// history costs only what lies behind the damage.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr WORD kSetTopCommand = 32775;
// Images of the history list: a text entry, and a text entry in the top zone.
constexpr int kTextImage = 0;
constexpr int kTopTextImage = 2;

struct Row {
    std::wstring label;
    int image;
};

class DataFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NoWindowTitledLikeThePopup());
        ASSERT_TRUE(CreateDirectoryW(DataFolder().c_str(), nullptr));
    }

    std::wstring DataFolder() const { return m_folder.Child(kDataFolderName); }
    std::wstring OptionsFile() const { return DataFolder() + L"\\" + kOptionsFileName; }
    std::wstring HistoryFile() const { return DataFolder() + L"\\" + kHistoryFileName; }

    // Starts a copy from the test's folder and waits for its popup and list.
    ::testing::AssertionResult StartCopy(ProcessUnderTest& quillary, HWND& popup, HWND& list,
                                         std::chrono::milliseconds timeout = kWaitTimeout)
    {
        if (auto started = quillary.Start(); !started)
            return started;
        popup = quillary.WaitForPopup(timeout);
        if (!popup)
            return ::testing::AssertionFailure() << "no popup within " << timeout.count() << " ms";
        list = GetDlgItem(popup, kHistoryListId);
        if (!list)
            return ::testing::AssertionFailure() << "the popup has no history list";
        return ::testing::AssertionSuccess();
    }

    // The Exit command, as the tray menu sends it; true once the process has ended.
    static ::testing::AssertionResult Exit(const ProcessUnderTest& quillary, HWND popup)
    {
        PostMessageW(popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
        if (!quillary.WaitForExit())
            return ::testing::AssertionFailure() << "still running after the Exit command";
        return ::testing::AssertionSuccess();
    }

    static ::testing::AssertionResult Capture(HWND list, const std::wstring& text)
    {
        const RemoteListView listView(list);
        const int before = listView.ItemCount();
        if (auto put = PutTextOnClipboard(text); !put)
            return put;
        if (!WaitUntil([&] { return listView.ItemCount() == before + 1; }))
            return ::testing::AssertionFailure() << "the list did not grow from " << before << " after a copy";
        return ::testing::AssertionSuccess();
    }

    static std::vector<Row> Rows(HWND list)
    {
        const RemoteListView listView(list);
        std::vector<Row> rows;
        const int count = listView.ItemCount();
        for (int index = 0; index < count; ++index) {
            const std::optional<ListItem> item = listView.Item(index);
            rows.push_back(item ? Row{item->text, item->image} : Row{L"(unreadable)", -1});
        }
        return rows;
    }

    static void ExpectRows(HWND list, const std::vector<Row>& expected)
    {
        const std::vector<Row> rows = Rows(list);
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t index = 0; index < rows.size(); ++index) {
            SCOPED_TRACE(testing::Message() << "row " << index);
            EXPECT_EQ(rows[index].label, expected[index].label);
            EXPECT_EQ(rows[index].image, expected[index].image);
        }
    }

    // A data folder that another run left: the settings file and the history file as given.
    void PrepareDataFolder(const StoredSettings& settings, const std::string& history) const
    {
        ASSERT_TRUE(WriteFileBytes(OptionsFile(), SettingsFileBytes(settings)));
        ASSERT_TRUE(WriteFileBytes(HistoryFile(), history));
    }

    TempFolder m_folder;
};

TEST_F(DataFiles, ExitWithAnEmptyListWritesAnEmptyHistoryAndTheDefaultSettings)
{
    ProcessUnderTest quillary(m_folder.Path());
    HWND popup = nullptr;
    HWND list = nullptr;
    ASSERT_TRUE(StartCopy(quillary, popup, list));
    ASSERT_EQ(RemoteListView(list).ItemCount(), 0);
    const RECT atExit = WindowRect(popup);
    ASSERT_TRUE(Exit(quillary, popup));

    ASSERT_TRUE(PathExists(HistoryFile())) << "no history file";
    EXPECT_EQ(ReadFileBytes(HistoryFile()), "");
    const std::string options = ReadFileBytes(OptionsFile());
    StoredSettings expected;
    size_t pasteKeys = 4;
    for (const auto& [program, key] : expected.pasteKeys)
        pasteKeys += 1 + program.size() + 4;
    // The defaults of the older layout, then the appended fields.
    EXPECT_EQ(options.size(), 34u + 33u + pasteKeys + 13u);  // sharing: off, no folder, 1024 KB, no pictures
    expected.window = atExit;
    EXPECT_EQ(options, SettingsFileBytes(expected));
}

TEST_F(DataFiles, NextStartShowsTheSameListTopZoneAndMovedRectangle)
{
    const RECT moved = {300, 200, 560, 520};
    {
        ProcessUnderTest quillary(m_folder.Path());
        HWND popup = nullptr;
        HWND list = nullptr;
        ASSERT_TRUE(StartCopy(quillary, popup, list));
        ASSERT_TRUE(Capture(list, L"first text"));
        ASSERT_TRUE(Capture(list, L"second text"));
        ExpectRows(list, {{L"second text", kTextImage}, {L"first text", kTextImage}});

        ASSERT_TRUE(SelectOnlyRows(list, {1}));
        ASSERT_TRUE(SendCommand(popup, kSetTopCommand));
        ExpectRows(list, {{L"first text", kTopTextImage}, {L"second text", kTextImage}});

        ASSERT_TRUE(SetWindowPos(popup, nullptr, moved.left, moved.top, moved.right - moved.left,
                                 moved.bottom - moved.top, SWP_NOZORDER | SWP_NOACTIVATE));
        ASSERT_TRUE(WaitUntil([&] {
            const RECT rect = WindowRect(popup);
            return EqualRect(&rect, &moved) != FALSE;
        }));
        ASSERT_TRUE(Exit(quillary, popup));
    }

    const std::string history = TextRecordBytes("first text") + TextRecordBytes("second text");
    EXPECT_EQ(ReadFileBytes(HistoryFile()), history);
    StoredSettings settings;
    settings.entryCount = 2;
    settings.topCount = 1;
    settings.window = moved;
    const std::string options = SettingsFileBytes(settings);
    EXPECT_EQ(ReadFileBytes(OptionsFile()), options);

    ProcessUnderTest again(m_folder.Path());
    HWND popup = nullptr;
    HWND list = nullptr;
    ASSERT_TRUE(StartCopy(again, popup, list));
    const RECT rect = WindowRect(popup);
    EXPECT_TRUE(EqualRect(&rect, &moved)) << "the popup opened at " << rect.left << "," << rect.top << " - "
                                          << rect.right << "," << rect.bottom;
    ExpectRows(list, {{L"first text", kTopTextImage}, {L"second text", kTextImage}});

    // The top zone came back too: a new capture goes below it.
    ASSERT_TRUE(Capture(list, L"third text"));
    ExpectRows(list, {{L"first text", kTopTextImage}, {L"third text", kTextImage}, {L"second text", kTextImage}});
    ASSERT_TRUE(Exit(again, popup));
    EXPECT_EQ(ReadFileBytes(HistoryFile()), TextRecordBytes("first text") + TextRecordBytes("third text")
                                                + TextRecordBytes("second text"));
    settings.entryCount = 3;
    EXPECT_EQ(ReadFileBytes(OptionsFile()), SettingsFileBytes(settings));
}

TEST_F(DataFiles, TextsOutsideTheAnsiCodePageComeBackWhole)
{
    const std::wstring unicode = L"Gr\u00FC\u00DFe \u65E5\u672C\u8A9E \u0416 \U0001F600 end";
    const std::wstring ascii = L"plain ascii";
    {
        ProcessUnderTest quillary(m_folder.Path());
        HWND popup = nullptr;
        HWND list = nullptr;
        ASSERT_TRUE(StartCopy(quillary, popup, list));
        ASSERT_TRUE(Capture(list, unicode));
        ASSERT_TRUE(Capture(list, ascii));
        ASSERT_TRUE(Exit(quillary, popup));
    }
    // The ASCII text in the plain 8-bit form; the other, which no 8-bit code page holds, in the
    // 16-bit form: FF, the value FFFE, a length in characters, then UTF-16LE. (Where the code
    // page is UTF-8 itself, the 8-bit form holds it losslessly.)
    std::string expected = TextRecordBytes("plain ascii");
    if (GetACP() == CP_UTF8) {
        std::string utf8(unicode.size() * 4, '\0');
        const int length = WideCharToMultiByte(CP_UTF8, 0, unicode.c_str(), static_cast<int>(unicode.size()),
                                               utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
        utf8.resize(static_cast<size_t>(length));
        expected += TextRecordBytes(utf8);
    } else {
        std::string utf16;
        for (wchar_t c : unicode) {
            utf16 += static_cast<char>(c & 0xFF);
            utf16 += static_cast<char>((c >> 8) & 0xFF);
        }
        expected += ArchiveInt(1) + "\xFF\xFE\xFF" + static_cast<char>(unicode.size()) + utf16;
    }
    EXPECT_EQ(ReadFileBytes(HistoryFile()), expected) << "code page " << GetACP();

    ProcessUnderTest again(m_folder.Path());
    HWND popup = nullptr;
    HWND list = nullptr;
    ASSERT_TRUE(StartCopy(again, popup, list));
    ExpectRows(list, {{ascii, kTextImage}, {unicode, kTextImage}});
}

TEST_F(DataFiles, HugeLengthPrefixEndsTheLoadWithTheEntriesBeforeIt)
{
    StoredSettings settings;
    settings.entryCount = 4;
    // Kind 1, then a string that claims 4 GiB.
    const std::string damaged = ArchiveInt(1) + "\xFF\xFF\xFF\xFF\xFF\xFF\xFF" + "tail";
    PrepareDataFolder(settings, TextRecordBytes("one") + TextRecordBytes("two") + damaged + TextRecordBytes("four"));

    ProcessUnderTest quillary(m_folder.Path());
    HWND popup = nullptr;
    HWND list = nullptr;
    ASSERT_TRUE(StartCopy(quillary, popup, list, std::chrono::seconds(6)));
    ExpectRows(list, {{L"one", kTextImage}, {L"two", kTextImage}});

    // The next exit keeps what was loaded.
    ASSERT_TRUE(Exit(quillary, popup));
    EXPECT_EQ(ReadFileBytes(HistoryFile()), TextRecordBytes("one") + TextRecordBytes("two"));
}

TEST_F(DataFiles, StringRunningPastTheEndKeepsTheEntriesBeforeIt)
{
    StoredSettings settings;
    settings.entryCount = 3;
    settings.topCount = 1;
    PrepareDataFolder(settings, TextRecordBytes("one") + TextRecordBytes("two") + ArchiveInt(1) + "\xC8" + "short");

    ProcessUnderTest quillary(m_folder.Path());
    HWND popup = nullptr;
    HWND list = nullptr;
    ASSERT_TRUE(StartCopy(quillary, popup, list, std::chrono::seconds(6)));
    ExpectRows(list, {{L"one", kTopTextImage}, {L"two", kTextImage}});
}

TEST_F(DataFiles, RandomBytesAfterTheGoodRecordsStillStartTheProgramWithThem)
{
    std::mt19937 generator(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string noise;
    for (int index = 0; index < 4096; ++index)
        noise += static_cast<char>(byte(generator));
    StoredSettings settings;
    settings.entryCount = 1000;
    PrepareDataFolder(settings, TextRecordBytes("one") + TextRecordBytes("two") + noise);

    ProcessUnderTest quillary(m_folder.Path());
    HWND popup = nullptr;
    HWND list = nullptr;
    ASSERT_TRUE(StartCopy(quillary, popup, list, std::chrono::seconds(6)));
    const std::vector<Row> rows = Rows(list);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].label, L"one");
    EXPECT_EQ(rows[1].label, L"two");
    EXPECT_TRUE(quillary.IsRunning());
    // It goes on capturing, and exits normally.
    ASSERT_TRUE(Capture(list, L"after the noise"));
    ASSERT_TRUE(Exit(quillary, popup));
}

}  // namespace
