// The history between two starts when the program does not get to save at exit: killed a
// second after the last change, a journal torn in its last record, a file of the history that
// another program holds open (at start, or when the exit save needs it), a folder beside the
// program that cannot be written.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/NotificationArea.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr WORD kSetTopCommand = 32775;
constexpr WORD kDeleteCommand = 32776;
constexpr wchar_t kJournalFileName[] = L"data.journal";
constexpr int kTextImage = 0;
constexpr int kTopTextImage = 2;
// Wine's taskbar shows a balloon some seconds after it is asked for.
constexpr std::chrono::seconds kBalloonTimeout{20};

struct Row {
    std::wstring label;
    int image;
};

class DurableHistory : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(NoWindowTitledLikeThePopup()); }

    std::wstring DataFile(const std::wstring& name) const
    {
        return m_folder.Child(kDataFolderName) + L"\\" + name;
    }

    // Starts a copy from the folder (the test's own when none is given); the one before has ended.
    ::testing::AssertionResult StartCopy(const std::wstring& folder = {})
    {
        m_quillary.emplace(folder.empty() ? m_folder.Path() : folder);
        if (auto started = m_quillary->Start(); !started)
            return started;
        m_popup = m_quillary->WaitForPopup();
        m_list = m_popup ? GetDlgItem(m_popup, kHistoryListId) : nullptr;
        if (!m_list)
            return ::testing::AssertionFailure() << "no popup with a history list";
        return ::testing::AssertionSuccess();
    }

    // A crash or an end-task, a second after the last change.
    ::testing::AssertionResult KillASecondLater()
    {
        Sleep(1000);
        if (!m_quillary->Kill())
            return ::testing::AssertionFailure() << "the process does not end";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult Exit()
    {
        PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
        if (!m_quillary->WaitForExit())
            return ::testing::AssertionFailure() << "still running after the Exit command";
        return ::testing::AssertionSuccess();
    }

    void ExpectRows(const std::vector<Row>& expected) const
    {
        const std::vector<ListItem> rows = RemoteListView(m_list).Rows();
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t index = 0; index < rows.size(); ++index) {
            SCOPED_TRACE(testing::Message() << "row " << index);
            EXPECT_EQ(rows[index].text, expected[index].label);
            EXPECT_EQ(rows[index].image, expected[index].image);
        }
    }

    TempFolder m_folder;
    std::optional<ProcessUnderTest> m_quillary;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

TEST_F(DurableHistory, CapturesSetTopDeleteAndClearAllSurviveAKillASecondLater)
{
    ASSERT_TRUE(StartCopy());
    for (const wchar_t* text : {L"a", L"b", L"c", L"d", L"e"})
        ASSERT_TRUE(CopyAndWaitForNewRow(m_list, text));
    // e d c b a: d and b go to the top zone, then b (in it) and c (below it) go.
    ASSERT_TRUE(SelectOnlyRows(m_list, {1, 3}));
    ASSERT_TRUE(SendCommand(m_popup, kSetTopCommand));
    ASSERT_TRUE(SelectOnlyRows(m_list, {1, 3}));
    ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
    const std::vector<Row> changed = {{L"d", kTopTextImage}, {L"e", kTextImage}, {L"a", kTextImage}};
    ASSERT_NO_FATAL_FAILURE(ExpectRows(changed));
    ASSERT_TRUE(KillASecondLater());

    ASSERT_TRUE(StartCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectRows(changed));

    // Clear All takes the top zone along: the next copy is an ordinary entry.
    ASSERT_TRUE(SendCommand(m_popup, kClearAllCommand));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"after clearing"));
    ASSERT_TRUE(KillASecondLater());

    ASSERT_TRUE(StartCopy());
    ExpectRows({{L"after clearing", kTextImage}});
}

TEST_F(DurableHistory, JournalTornInItsLastRecordLoadsEveryChangeBeforeIt)
{
    ASSERT_TRUE(StartCopy());
    for (const wchar_t* text : {L"first", L"second", L"torn"})
        ASSERT_TRUE(CopyAndWaitForNewRow(m_list, text));
    ASSERT_TRUE(KillASecondLater());
    // The power went in the middle of the last record.
    const std::string journal = ReadFileBytes(DataFile(kJournalFileName));
    ASSERT_GT(journal.size(), 3u) << "no journal beside the history";
    ASSERT_TRUE(WriteFileBytes(DataFile(kJournalFileName), journal.substr(0, journal.size() - 3)));

    ASSERT_TRUE(StartCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectRows({{L"second", kTextImage}, {L"first", kTextImage}}));

    // What comes next is appended after the last whole record, where the next start reads it.
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"third"));
    ASSERT_TRUE(KillASecondLater());
    ASSERT_TRUE(StartCopy());
    ExpectRows({{L"third", kTextImage}, {L"second", kTextImage}, {L"first", kTextImage}});
}

TEST_F(DurableHistory, StoredTopCountWithoutAHistoryFileMakesNoTopZone)
{
    // The user deleted data.data; the settings still count three entries at the top.
    StoredSettings settings;
    settings.entryCount = 3;
    settings.topCount = 3;
    ASSERT_TRUE(CreateDirectoryW(m_folder.Child(kDataFolderName).c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(DataFile(kOptionsFileName), SettingsFileBytes(settings)));

    ASSERT_TRUE(StartCopy());
    for (const wchar_t* text : {L"one", L"two", L"three", L"four"})
        ASSERT_TRUE(CopyAndWaitForNewRow(m_list, text));
    ExpectRows({{L"four", kTextImage}, {L"three", kTextImage}, {L"two", kTextImage}, {L"one", kTextImage}});
}

// Holds a file open the way a backup or virus-scanning program may: others can read it,
// but no one can replace or delete it. A sync program holds it for writing too, and lets
// others read and write.
class HeldFile {
public:
    enum class Way { ForReading, ForWriting };
    explicit HeldFile(const std::wstring& path, Way way = Way::ForReading)
        : m_file(CreateFileW(path.c_str(), way == Way::ForReading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                             way == Way::ForReading ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr))
    {
    }
    bool IsHeld() const { return static_cast<bool>(m_file); }
    void Release() { m_file.Reset(); }

private:
    UniqueFileHandle m_file;
};

TEST_F(DurableHistory, HeldHistoryFileIsReportedKeptAsItWasAndReplacedAtTheNextStart)
{
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), StoredSettings(), {"old one", "old two"}));
    const std::string oldHistory = ReadFileBytes(DataFile(kHistoryFileName));
    ASSERT_TRUE(StartCopy());
    HeldFile held(DataFile(kHistoryFileName));
    ASSERT_TRUE(held.IsHeld());

    // Copies that grow the journal past its bound (16 MB) ask for a full save while the file is held.
    std::vector<Row> expected;
    for (wchar_t big = L'0'; big < L'5'; ++big) {
        const std::wstring text = std::wstring(L"big ") + big + L" " + std::wstring(4'000'000, L'x');
        ASSERT_TRUE(CopyAndWaitForNewRow(m_list, text));
        expected.insert(expected.begin(), Row{text.substr(0, 500), kTextImage});
    }
    const std::wstring prefix = L"Could not save data.data: ";
    std::wstring shown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const std::wstring& text : ShownBalloonTexts()) {
                if (text.compare(0, prefix.size(), prefix) == 0)
                    shown = text;
            }
            return !shown.empty();
        },
        kBalloonTimeout))
        << "no balloon says that data.data could not be saved";
    EXPECT_GT(shown.find(L'.', prefix.size()), prefix.size() + 1) << "the balloon gives no reason";

    // A change after the failed save, then an exit whose own save fails the same way: the
    // program says so before it ends.
    const std::wstring after = L"copied after the failed save";
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, after));
    expected.insert(expected.begin(), Row{after, kTextImage});
    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
    const HWND box = WaitForMessageBox(m_quillary->ProcessId(), m_popup);
    ASSERT_NE(box, nullptr) << "the failed exit save ended the program without a word";
    const std::wstring message = MessageBoxText(box);
    const std::wstring exitPrefix = L"Could not save data.data when Quillary exited: ";
    EXPECT_EQ(message.compare(0, exitPrefix.size(), exitPrefix), 0) << testing::PrintToString(message);
    EXPECT_GT(message.find(L'.', exitPrefix.size()), exitPrefix.size() + 1) << "the message gives no reason";
    ASSERT_TRUE(ClickButton(GetDlgItem(box, IDOK)));
    ASSERT_TRUE(m_quillary->WaitForExit()) << "still running after the message";
    held.Release();
    EXPECT_EQ(ReadFileBytes(DataFile(kHistoryFileName)), oldHistory) << "the held file was changed";

    ASSERT_TRUE(StartCopy());
    expected.push_back({L"old one", kTextImage});
    expected.push_back({L"old two", kTextImage});
    ASSERT_NO_FATAL_FAILURE(ExpectRows(expected));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(FolderEntries(m_folder.Child(kDataFolderName)),
              (std::vector<std::wstring>{kHistoryFileName, L"data.extras", kOptionsFileName}))
        << "a clean exit leaves more than the history, its extras and the settings";
}

// A file of the history that a sync program holds for writing while Quillary starts is read
// all the same, and nothing is lost or saved over.
class HeldWhileStarting : public DurableHistory, public ::testing::WithParamInterface<const wchar_t*> {
};

TEST_P(HeldWhileStarting, TheWholeHistoryLoadsAndStaysForTheNextStart)
{
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), StoredSettings(), {"old one", "old two"}));
    ASSERT_TRUE(StartCopy());
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"journaled"));
    ASSERT_TRUE(KillASecondLater());
    const std::vector<Row> whole = {
        {L"journaled", kTextImage}, {L"old one", kTextImage}, {L"old two", kTextImage}};
    {
        HeldFile held(DataFile(GetParam()), HeldFile::Way::ForWriting);
        ASSERT_TRUE(held.IsHeld());
        ASSERT_TRUE(StartCopy());
        ASSERT_NO_FATAL_FAILURE(ExpectRows(whole));
        ASSERT_TRUE(KillASecondLater());
    }
    ASSERT_TRUE(StartCopy());
    ExpectRows(whole);
}

std::string HeldFileCase(const ::testing::TestParamInfo<const wchar_t*>& info)
{
    const char* const names[] = {"Settings", "History", "Journal"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(EachFile, HeldWhileStarting,
                         ::testing::Values(kOptionsFileName, kHistoryFileName, kJournalFileName), HeldFileCase);

// Sets an environment variable of the driver, which the programs it starts inherit, for the
// life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name)
    {
        wchar_t old[MAX_PATH * 2];
        const DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH * 2);
        if (length > 0 && length < MAX_PATH * 2)
            m_old = old;
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(m_name, m_old ? m_old->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* m_name;
    std::optional<std::wstring> m_old;
};

TEST_F(DurableHistory, FileNamedDataBesideTheProgramSendsTheHistoryToThePerUserFolder)
{
    TempFolder localAppData;
    const ScopedEnvironment environment(L"LOCALAPPDATA", localAppData.Path());
    const std::wstring perUser = localAppData.Child(L"Quillary\\data");
    ASSERT_TRUE(WriteFileBytes(m_folder.Child(kDataFolderName), "not a folder"));

    ASSERT_TRUE(StartCopy());
    std::wstring shown;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const std::wstring& text : ShownBalloonTexts()) {
                if (text.find(perUser) != std::wstring::npos)
                    shown = text;
            }
            return !shown.empty();
        },
        kBalloonTimeout))
        << "no balloon names " << testing::PrintToString(perUser);
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"kept per user"));
    ASSERT_TRUE(Exit());
    const std::string history = ReadFileBytes(perUser + L"\\" + kHistoryFileName);
    EXPECT_EQ(history, TextRecordBytes("kept per user"));
    EXPECT_FALSE(IsFolder(m_folder.Child(kDataFolderName)));

    ASSERT_TRUE(StartCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectRows({{L"kept per user", kTextImage}}));
    ASSERT_TRUE(Exit());

    // A folder that can be written keeps its own history beside the program.
    TempFolder portable;
    ASSERT_TRUE(StartCopy(portable.Path()));
    ASSERT_NO_FATAL_FAILURE(ExpectRows({}));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"kept beside"));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(ReadFileBytes(portable.Child(kDataFolderName) + L"\\" + kHistoryFileName),
              TextRecordBytes("kept beside"));
    EXPECT_EQ(ReadFileBytes(perUser + L"\\" + kHistoryFileName), history);
}

}  // namespace
