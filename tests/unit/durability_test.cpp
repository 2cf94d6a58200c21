// The history on disk: what a killed program had is there at the next start,
// a torn journal loses only its last record, an interrupted save loads as the
// old or the new history, and a save that meets a locked file is reported and
// harms nothing.
#include <gtest/gtest.h>

#include "history/BitmapFileWriter.h"
#include "history/DurableHistory.h"
#include "history/FileNames.h"
#include "history/FullSave.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const std::wstring& path)
{
    Bytes bytes;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return bytes;
    bytes.resize(static_cast<size_t>(file.GetLength()));
    bytes.resize(file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
    return bytes;
}

void WriteAll(const std::wstring& path, const Bytes& bytes)
{
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

UniqueBitmap Filled(COLORREF colour)
{
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), 6, 4));
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(memory.Get(), bitmap.Get());
    const RECT all = {0, 0, 6, 4};
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(memory.Get(), &all, brush.Get());
    return bitmap;
}

COLORREF ColourOf(HBITMAP bitmap)
{
    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(memory.Get(), bitmap);
    return GetPixel(memory.Get(), 2, 2);
}

// One run of the program over a data folder, without its window.
struct Program {
    explicit Program(const std::wstring& folder)
    {
        durable.SetFolder({folder, folder, false});
        durable.LoadOptions();
        durable.LoadHistory();
        durable.Start(nullptr, ScreenColorDepth());
    }
    // The history as the list shows it: labels (a picture by its colour), the top zone marked.
    std::wstring Shown() const
    {
        std::wstring shown;
        for (int row = 0; row < model.Count(); ++row) {
            const HistoryEntry& entry = model.At(row);
            shown += row == model.TopCount() ? L"|" : L" ";
            if (entry.IsPicture())
                shown += L"#" + std::to_wstring(ColourOf(entry.picture->Bitmap()));
            else
                shown += *entry.text;
        }
        return shown;
    }
    // Waits for the writer's reports (it works beside the test).
    std::vector<JournalWriter::Report> ReportsWithin(int milliseconds)
    {
        std::vector<JournalWriter::Report> all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (all.empty() && std::chrono::steady_clock::now() < end) {
            all = durable.TakeReports();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return all;
    }

    HistoryModel model;
    ClipOptions options;
    DurableHistory durable{model, options};
};

class DurabilityTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"quillary-durable-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter++) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override
    {
        SaveSet::SetInterruptionForTesting(nullptr);
        Clean();
        RemoveDirectoryW(folder.c_str());
    }
    void Clean()
    {
        for (const std::wstring& name : Names())
            DeleteFileW((folder + name).c_str());
    }
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    static int counter;
    std::wstring folder;
};
int DurabilityTest::counter = 0;

TEST_F(DurabilityTest, EveryKindOfChangeSurvivesAnEndWithoutTheExitSave)
{
    std::wstring before;
    {
        Program first(folder);
        first.model.InsertText(L"a");
        const EntryId b = first.model.InsertText(L"b");
        first.model.InsertText(L"c");
        first.model.SetTop({b});
        first.model.InsertPicture(Filled(RGB(255, 0, 0)), L"Picture 6 x 4");
        first.model.Remove({first.model.At(first.model.Count() - 1).id});
        first.model.InsertText(L"grüße 日本");
        first.model.MoveBelowTop(first.model.At(3).id);
        before = first.Shown();
    }  // gone without the exit save, as a killed program is
    EXPECT_EQ(L" b|c grüße 日本 #255", before);

    Program second(folder);
    EXPECT_EQ(before, second.Shown());
    second.model.Clear();
    second.model.InsertText(L"after clear");
    const std::wstring cleared = second.Shown();
    EXPECT_TRUE(second.durable.SaveAtExit());
    // A clean end leaves only the files of the folder's format.
    for (const std::wstring& name : Names())
        EXPECT_TRUE(name == g_strHistoryFileName || name == g_strOptionsFileName) << name.c_str();
    EXPECT_TRUE(second.durable.TakeReports().empty());

    Program third(folder);
    EXPECT_EQ(cleared, third.Shown());
}

TEST_F(DurabilityTest, AJournalCutInsideItsLastRecordLoadsEveryEarlierChange)
{
    {
        Program first(folder);
        for (const wchar_t* text : {L"one", L"two", L"three", L"four", L"five, the last"})
            first.model.InsertText(text);
    }
    Bytes journal = ReadAll(folder + g_strJournalFileName);
    ASSERT_GT(journal.size(), 10u);
    journal.resize(journal.size() - 5);
    WriteAll(folder + g_strJournalFileName, journal);

    Program second(folder);
    EXPECT_EQ(L"|four three two one", second.Shown());
    // Appending goes on after the last whole record.
    second.model.InsertText(L"six");
    second.durable.SaveAtExit();
    Program third(folder);
    EXPECT_EQ(L"|six four three two one", third.Shown());
}

TEST_F(DurabilityTest, ASaveStoppedAtAnyFileOperationLoadsTheOldOrTheNewHistory)
{
    std::wstring oldShown;
    {
        Program old(folder);
        old.model.InsertText(L"old text");
        old.model.InsertPicture(Filled(RGB(255, 0, 0)), L"red");
        old.model.InsertText(L"old top");
        old.model.SetTop({old.model.At(0).id});
        oldShown = old.Shown();
        ASSERT_TRUE(old.durable.SaveAtExit());
    }
    std::vector<std::pair<std::wstring, Bytes>> oldFiles;
    for (const std::wstring& name : Names())
        oldFiles.emplace_back(name, ReadAll(folder + name));

    HistorySnapshot next;
    std::wstring newShown;
    {
        Program shaper(folder);
        shaper.model.Clear();
        shaper.model.InsertPicture(Filled(RGB(0, 0, 255)), L"blue");
        shaper.model.InsertText(L"new text");
        shaper.model.InsertPicture(Filled(RGB(0, 255, 0)), L"green");
        newShown = shaper.Shown();
        next = shaper.durable.Snapshot();
    }
    int stoppedAt = 0;
    for (;; ++stoppedAt) {
        Clean();
        for (const auto& file : oldFiles)
            WriteAll(folder + file.first, file.second);
        bool stopped = false;
        SaveSet::SetInterruptionForTesting([&](int operation) { return stopped = operation == stoppedAt; });
        FullSave(folder, next, ScreenColorDepth()).Run([](std::vector<std::vector<std::uint8_t>>&) {},
                                                      [](const std::wstring&) {});
        SaveSet::SetInterruptionForTesting(nullptr);
        Program after(folder);
        const std::wstring shown = after.Shown();
        EXPECT_TRUE(shown == oldShown || shown == newShown) << "stopped at " << stoppedAt << ": " << shown.c_str();
        if (!stopped) {
            EXPECT_EQ(newShown, shown);
            break;
        }
    }
    EXPECT_GT(stoppedAt, 5);
}

TEST_F(DurabilityTest, ALockedHistoryFileIsReportedKeptWholeAndSavedOnceFree)
{
    auto program = std::make_unique<Program>(folder);
    program->model.InsertText(L"first");
    ASSERT_TRUE(program->durable.SaveAtExit());
    const Bytes oldHistory = ReadAll(folder + g_strHistoryFileName);
    program = std::make_unique<Program>(folder);
    {
        UniqueFileHandle held(CreateFileW((folder + g_strHistoryFileName).c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        program->model.InsertText(L"second");
        program->durable.SaveFull();
        const auto reports = program->ReportsWithin(5000);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(JournalWriter::Report::Kind::SaveFailed, reports[0].kind);
        EXPECT_EQ(g_strHistoryFileName, reports[0].file);
    }
    EXPECT_EQ(oldHistory, ReadAll(folder + g_strHistoryFileName));
    // Free again: the next change finishes the save, and that is said too.
    program->model.InsertText(L"third");
    const auto reports = program->ReportsWithin(5000);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(JournalWriter::Report::Kind::Saved, reports.back().kind);
    const std::wstring shown = program->Shown();
    program.reset();
    Program next(folder);
    EXPECT_EQ(shown, next.Shown());
}

TEST_F(DurabilityTest, ChangesWhileAFinishedSaveWaitsForAHeldFileSurviveTheNextStartsToo)
{
    auto program = std::make_unique<Program>(folder);
    program->model.InsertText(L"first");
    ASSERT_TRUE(program->durable.SaveAtExit());
    program = std::make_unique<Program>(folder);
    {
        UniqueFileHandle held(CreateFileW((folder + g_strHistoryFileName).c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        program->model.InsertText(L"second");
        EXPECT_FALSE(program->durable.SaveAtExit()) << "the move over the held file went through";
        // The next start, the file still held: it reads the waiting save, and its changes stay too.
        program = std::make_unique<Program>(folder);
        EXPECT_EQ(L"|second first", program->Shown());
        program->model.InsertText(L"third");
        program.reset();
    }
    Program free(folder);
    EXPECT_EQ(L"|third second first", free.Shown());
}

TEST_F(DurabilityTest, AHistoryThatCannotBeReadIsToldAndNeverSavedOver)
{
    {
        Program first(folder);
        first.model.InsertText(L"kept");
        ASSERT_TRUE(first.durable.SaveAtExit());
    }
    const Bytes history = ReadAll(folder + g_strHistoryFileName);
    {
        UniqueFileHandle held(CreateFileW((folder + g_strHistoryFileName).c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        Program blocked(folder);
        const auto reports = blocked.ReportsWithin(2000);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(JournalWriter::Report::Kind::ReadFailed, reports[0].kind);
        EXPECT_EQ(g_strHistoryFileName, reports[0].file);
        blocked.model.InsertText(L"while held");
        EXPECT_FALSE(blocked.durable.SaveAtExit());
    }
    EXPECT_EQ(history, ReadAll(folder + g_strHistoryFileName));
    Program next(folder);
    EXPECT_EQ(L"|kept", next.Shown());
}

TEST_F(DurabilityTest, TheHistoryGoesPerUserWhileTheProgramsFolderCannotBeWritten)
{
    const std::wstring programs = folder + L"program\\";
    const std::wstring local = folder + L"local";
    CreateDirectoryW(programs.c_str(), nullptr);
    WriteAll(programs + L"data", Bytes{'x'});  // a file where the folder should be
    wchar_t previous[MAX_PATH * 2] = {};
    const bool hadLocal = GetEnvironmentVariableW(L"LOCALAPPDATA", previous, MAX_PATH * 2) > 0;
    SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str());

    const DataFolder away = DataFolder::Choose(programs);
    EXPECT_TRUE(away.perUser);
    EXPECT_EQ(local + L"\\Quillary\\data\\", away.write);
    EXPECT_EQ(away.write, away.read);
    WriteAll(away.write + g_strOptionsFileName, Bytes(34, 0));

    DeleteFileW((programs + L"data").c_str());
    // Writable again: the program's folder keeps its own history.
    const DataFolder back = DataFolder::Choose(programs);
    EXPECT_FALSE(back.perUser);
    EXPECT_EQ(programs + L"data\\", back.write);
    EXPECT_EQ(back.write, back.read);

    SetEnvironmentVariableW(L"LOCALAPPDATA", hadLocal ? previous : nullptr);
    DeleteFileW((away.write + g_strOptionsFileName).c_str());
    for (const std::wstring& dir : {away.write, local + L"\\Quillary\\", local + L"\\", back.write, programs})
        RemoveDirectoryW(dir.c_str());
}

}  // namespace
