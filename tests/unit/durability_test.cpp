// The history on disk, below what the end-to-end tests reach: every kind of
// change replayed from the journal, a save interrupted at each file operation,
// changes made while a save waits for a held file, a history that cannot be
// read, damaged settings, a per-user journal over a history read beside the
// program. Kills, torn journals, held files and the per-user folder are met as
// a user meets them in the end-to-end tests.
#include <gtest/gtest.h>

#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/DataFolder.h"
#include "history/store/DurableHistory.h"
#include "history/store/formats/FileNames.h"
#include "history/store/saveset/FullSave.h"
#include "history/model/FormatsShelf.h"
#include "file_test_support.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace file_test;

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
    explicit Program(const std::wstring& folder, bool encrypt = false)
        : Program(DataFolder{folder, folder, false}, encrypt)
    {
    }
    explicit Program(const DataFolder& folder, bool encrypt = false)
    {
        durable.SetFolder(folder);
        durable.LoadOptions();
        options.m_bEncrypt = options.m_bEncrypt || encrypt;
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
    void TearDown() override
    {
        SaveSet::SetInterruptionForTesting(nullptr);
        JournalFile::SetFlushObserverForTesting(nullptr);
    }
    void Clean()
    {
        for (const std::wstring& name : Names())
            DeleteFileW((folder + name).c_str());
    }
    std::vector<std::wstring> Names() const { return temp.Names(); }

    TempFolder temp{L"durable"};
    const std::wstring folder = temp.Path();
};

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
        // Copied again with formatting: the pinned entry stays and takes it.
        EntryFormats bold;
        bold.kept = {{{EntryFormats::kHtmlName, 0}, {'<', 'b', '>'}}};
        first.model.Recopy(b, Shelved(bold));
        before = first.Shown();
    }  // gone without the exit save, as a killed program is
    EXPECT_EQ(L" b|c grüße 日本 #255", before);

    Program second(folder);
    EXPECT_EQ(before, second.Shown());
    const FormatsShelf::Kept bold = KeptBytes(second.model.At(0).formats);
    ASSERT_TRUE(bold && bold->size() == 1);
    EXPECT_EQ(bold->front().bytes, (std::vector<std::uint8_t>{'<', 'b', '>'}));
    second.model.Clear();
    second.model.InsertText(L"after clear");
    const std::wstring cleared = second.Shown();
    EXPECT_TRUE(second.durable.SaveAtExit());
    // A clean end leaves only the files of the folder's format.
    for (const std::wstring& name : Names())
        EXPECT_TRUE(name == g_strHistoryFileName || name == g_strOptionsFileName || name == g_strExtrasFileName)
            << name.c_str();
    EXPECT_TRUE(second.durable.TakeReports().empty());

    Program third(folder);
    EXPECT_EQ(cleared, third.Shown());
}

std::vector<std::uint64_t> CaptureTimes(const HistoryModel& model)
{
    std::vector<std::uint64_t> times;
    for (int row = 0; row < model.Count(); ++row)
        times.push_back(model.At(row).captured);
    return times;
}

TEST_F(DurabilityTest, CaptureTimesComeBackFromTheJournalAFullSaveAndAFirstLoad)
{
    std::vector<std::uint64_t> times;
    {
        Program first(folder);
        first.model.InsertText(L"a");
        first.model.InsertText(L"b");
        first.model.MoveBelowTop(first.model.At(1).id, 1234);
        times = CaptureTimes(first.model);
    }  // only the journal holds them
    EXPECT_EQ(1234u, times[0]);
    {
        Program second(folder);
        EXPECT_EQ(times, CaptureTimes(second.model));
        ASSERT_TRUE(second.durable.SaveAtExit());
    }
    {
        Program third(folder);
        EXPECT_EQ(times, CaptureTimes(third.model));
    }
    // A history an older version wrote has no times: its entries count as captured at their first load, for good.
    ASSERT_TRUE(DeleteFileW((folder + g_strExtrasFileName).c_str()));
    const std::uint64_t beforeLoad = UtcNow();
    {
        Program older(folder);
        times = CaptureTimes(older.model);
        EXPECT_GE(times[0], beforeLoad);
        EXPECT_TRUE(older.durable.SaveAtExit());
    }
    Program later(folder);
    EXPECT_EQ(times, CaptureTimes(later.model));
}

std::wstring Joined(const std::vector<std::wstring>& names)
{
    std::wstring joined;
    for (const std::wstring& name : names)
        joined += name + L" ";
    return joined;
}

TEST_F(DurabilityTest, ASealedHistoryComesBackFromItsJournalAndItsFullSaveAndGoesPlainAgain)
{
    std::wstring shown;
    {
        Program plain(folder);
        plain.model.InsertText(L"plain before");
        ASSERT_TRUE(plain.durable.SaveAtExit());
    }
    {
        Program first(folder, true);
        first.model.InsertText(L"sealed one");
        first.model.InsertPicture(Filled(RGB(255, 0, 0)), L"red");
        shown = first.Shown();
    }  // only the journal holds the changes
    {
        Program second(folder);
        EXPECT_EQ(shown, second.Shown());
        EXPECT_TRUE(second.durable.Encrypted());
        second.model.InsertText(L"two");
        shown = second.Shown();
        ASSERT_TRUE(second.durable.SaveAtExit());
    }
    EXPECT_EQ(L"1.qdat data.qdata data.qextras history.key imgOption.data ", Joined(Names()));
    {
        Program third(folder);
        EXPECT_EQ(shown, third.Shown());
        ASSERT_TRUE(third.durable.SetEncrypted(false));
        ASSERT_TRUE(third.durable.SaveAtExit());
    }
    EXPECT_EQ(L"1.dat data.data data.extras imgOption.data ", Joined(Names()));
    Program fourth(folder);
    EXPECT_EQ(shown, fourth.Shown());
}

// A long history of formatted copies keeps their bytes on disk, never in memory, and each save moves
// the entries to where it wrote them, plain or sealed.
TEST_F(DurabilityTest, FormatsWaitOnDiskWhereTheLastSaveWroteThemPlainOrSealed)
{
    const std::vector<std::uint8_t> html(300000, 'h');
    EntryFormats copied;
    copied.kept = {{{EntryFormats::kHtmlName, 0}, html}};
    const auto state = [&html](const HistoryModel& model, int row = 0) {
        const FormatsShelf::Kept kept = KeptBytes(model.At(row).formats);
        const bool read = kept && kept->size() == 1 && kept->front().bytes == html;
        return std::wstring(read ? L"read " : L"lost ") +
               (model.At(row).formats->shelf->InMemory() ? L"in memory" : L"on disk");
    };
    // The writer works beside the test: a shelf that changes place tells that its save is bound.
    const auto until = [](const HistoryModel& model, int row, bool inMemory) {
        for (int wait = 0; wait < 500 && model.At(row).formats->shelf->InMemory() != inMemory; ++wait)
            Sleep(10);
    };
    Program program(folder);
    program.model.InsertText(L"styled", Shelved(copied));
    EXPECT_EQ(L"read in memory", state(program.model));
    program.durable.SaveFull();
    until(program.model, 0, false);
    EXPECT_EQ(L"read on disk", state(program.model));
    // A later save moves it into its own file.
    program.model.InsertText(L"later", Shelved(copied));
    program.durable.SaveFull();
    until(program.model, 0, false);
    EXPECT_EQ(L"read on disk", state(program.model, 1));
    program.model.Remove({program.model.At(0).id});
    // Sealed, then plain again: the file each form leaves behind is gone, and the formats still read.
    for (const bool sealed : {true, false}) {
        const std::wstring gone = sealed ? g_strExtrasFileName : g_strSealedExtrasFileName;
        ASSERT_TRUE(program.durable.SetEncrypted(sealed));
        for (int wait = 0; wait < 500 && (Exists(folder + gone) || Exists(folder + g_strIntentFileName)); ++wait)
            Sleep(10);
        EXPECT_FALSE(Exists(folder + gone));
        EXPECT_EQ(L"read on disk", state(program.model)) << sealed;
    }
    ASSERT_TRUE(program.durable.SetEncrypted(true));
    ASSERT_TRUE(program.durable.SaveAtExit());
    Program next(folder);
    EXPECT_TRUE(next.durable.Encrypted());
    EXPECT_EQ(L"read on disk", state(next.model));
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
        oldFiles.emplace_back(name, ReadWholeFile(folder + name));

    SaveSnapshot next;
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
            ASSERT_TRUE(WriteWholeFile(folder + file.first, file.second));
        bool stopped = false;
        SaveSet::SetInterruptionForTesting([&](int operation) { return stopped = operation == stoppedAt; });
        FullSave(folder, next).Run([](std::vector<std::vector<std::uint8_t>>&) {},
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

std::map<std::wstring, Bytes> FilesOf(const std::wstring& folder, const std::vector<std::wstring>& names)
{
    std::map<std::wstring, Bytes> files;
    for (const std::wstring& name : names)
        files[name] = ReadWholeFile(folder + name);
    return files;
}

TEST_F(DurabilityTest, AnyFileOfTheHistoryThatCannotBeReadIsToldAndNeverSavedOver)
{
    for (const std::wstring held :
         {g_strHistoryFileName, g_strOptionsFileName, g_strJournalFileName, g_strExtrasFileName, L"1.dat",
          g_strIntentFileName}) {
        SCOPED_TRACE(testing::Message() << "held: " << testing::PrintToString(held));
        Clean();
        std::wstring whole;
        {
            Program first(folder);
            first.model.InsertPicture(Filled(RGB(255, 0, 0)), L"red");
            first.model.InsertText(L"kept");
            ASSERT_TRUE(first.durable.SaveAtExit());
            Program second(folder);
            second.model.InsertText(L"journaled");
            whole = second.Shown();
        }  // ended without the exit save: the last change is in the journal
        // A save's intent, which may stand for a half-moved set while it cannot be read.
        if (held == g_strIntentFileName) {
            ASSERT_TRUE(WriteWholeFile(folder + held, journal::EncodeIntent(journal::Intent())));
        }
        const auto files = FilesOf(folder, Names());
        ASSERT_EQ(1u, files.count(held));
        {
            UniqueFileHandle hold(CreateFileW((folder + held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                              nullptr));
            ASSERT_TRUE(static_cast<bool>(hold));
            Program blocked(folder);
            const auto reports = blocked.ReportsWithin(5000);
            ASSERT_FALSE(reports.empty());
            EXPECT_EQ(JournalWriter::Report::Kind::ReadFailed, reports[0].kind);
            EXPECT_EQ(held, reports[0].file);
            blocked.model.InsertText(L"while held");
            EXPECT_FALSE(blocked.durable.SaveAtExit());
        }
        EXPECT_EQ(files, FilesOf(folder, Names()));
        Program next(folder);
        EXPECT_EQ(whole, next.Shown());
    }
}

TEST_F(DurabilityTest, SettingsCutShortCountTheRecordsOfTheHistoryFile)
{
    std::wstring whole;
    {
        Program first(folder);
        for (const wchar_t* text : {L"one", L"two", L"three"})
            first.model.InsertText(text);
        whole = first.Shown();
        ASSERT_TRUE(first.durable.SaveAtExit());
    }
    const auto files = FilesOf(folder, Names());
    const Bytes settings = files.at(g_strOptionsFileName);
    // Missing; cut in the strings, in the count, in the rectangle.
    constexpr size_t kMissing = 0;
    for (const size_t cut : {kMissing, size_t{1}, size_t{4}, size_t{20}}) {
        SCOPED_TRACE(testing::Message() << "cut after " << cut << " bytes");
        Clean();
        for (const auto& file : files)
            ASSERT_TRUE(WriteWholeFile(folder + file.first, file.second));
        if (cut == kMissing)
            ASSERT_TRUE(DeleteFileW((folder + g_strOptionsFileName).c_str()));
        else
            ASSERT_TRUE(WriteWholeFile(folder + g_strOptionsFileName, Bytes(settings.begin(), settings.begin() + cut)));
        {
            Program damaged(folder);
            EXPECT_EQ(whole, damaged.Shown());
            EXPECT_TRUE(damaged.durable.SaveAtExit());
        }
        Program next(folder);
        EXPECT_EQ(whole, next.Shown());
    }
}

TEST_F(DurabilityTest, APerUserJournalOverTheHistoryBesideTheProgramIsReplayedAndKept)
{
    TempFolder perUserTemp{L"per-user"};
    const std::wstring beside = folder;
    const std::wstring perUser = perUserTemp.Path();
    {
        Program portable(beside);
        portable.model.InsertText(L"a");
        portable.model.InsertText(L"b");
        ASSERT_TRUE(portable.durable.SaveAtExit());
    }
    std::wstring shown;
    {
        // Read beside, kept per user; the first save never gets through, then the program is killed.
        SaveSet::SetInterruptionForTesting([](int) { return true; });
        Program moved(DataFolder{beside, perUser, true});
        moved.model.InsertText(L"c");
        shown = moved.Shown();
    }
    SaveSet::SetInterruptionForTesting(nullptr);
    EXPECT_EQ(beside, DataFolder::FolderToRead(beside, perUser)) << "a journal alone was taken for a history";
    {
        Program next(DataFolder{DataFolder::FolderToRead(beside, perUser), perUser, true});
        EXPECT_EQ(shown, next.Shown());
        EXPECT_TRUE(next.durable.SaveAtExit());
    }
    Program perUserOnly(DataFolder{perUser, perUser, true});
    EXPECT_EQ(shown, perUserOnly.Shown());
}

// Finds the temporary journal of a save in progress; empty when there is none yet.
std::wstring TemporaryJournal(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((folder + g_strJournalFileName + L".*.qtmp").c_str(), &found));
    return search ? folder + found.cFileName : std::wstring();
}

TEST_F(DurabilityTest, ChangesAfterASaveWhoseNewJournalWasHeldForAMomentGoToTheJournal)
{
    auto program = std::make_unique<Program>(folder);
    program->model.InsertText(L"before");
    // A scanner opens the new journal as the save commits and lets go at the first move.
    UniqueFileHandle held;  // the writer's thread alone touches it
    std::atomic<int> stage{0};  // 1: held, 2: let go
    SaveSet::SetInterruptionForTesting([&](int) {
        const std::wstring journal = TemporaryJournal(folder);
        if (stage == 0 && !journal.empty()) {
            held.Reset(CreateFileW(journal.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
            stage = held ? 1 : 0;
        } else if (stage == 1) {
            held.Reset();
            stage = 2;
        }
        return false;
    });
    program->durable.SaveFull();
    // The change comes once the save's moves are made.
    for (int wait = 0; wait < 200 && (stage != 2 || Exists(folder + g_strIntentFileName)); ++wait)
        Sleep(10);
    program->model.InsertText(L"after");
    program.reset();  // ended without the exit save
    SaveSet::SetInterruptionForTesting(nullptr);
    EXPECT_EQ(2, stage.load()) << "the new journal was never held";
    for (const std::wstring& name : Names())
        EXPECT_EQ(std::wstring::npos, name.find(L".qtmp")) << name.c_str();
    Program next(folder);
    EXPECT_EQ(L"|after before", next.Shown());
}

TEST_F(DurabilityTest, TheJournalIsFlushedWithinASecondAlsoDuringALongFullSave)
{
    Program program(folder);
    for (COLORREF colour : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)})
        program.model.InsertPicture(Filled(colour), L"picture");
    std::atomic<bool> changed{false};
    std::atomic<int> flushes{0};
    int flushesDuringSave = -1;
    JournalFile::SetFlushObserverForTesting([&] { ++flushes; });
    // The save writes one picture file a step; the second step takes longer than a second.
    // The exit save that follows runs as it comes.
    SaveSet::SetInterruptionForTesting([&](int operation) {
        if (flushesDuringSave >= 0)
            return false;
        if (operation == 0) {
            for (int wait = 0; wait < 200 && !changed; ++wait)
                Sleep(10);
            flushes = 0;
        } else if (operation == 1) {
            Sleep(1100);
        } else if (operation == 2) {
            flushesDuringSave = flushes;
        }
        return false;
    });
    program.durable.SaveFull();
    program.model.InsertText(L"during the save");
    changed = true;
    EXPECT_TRUE(program.durable.SaveAtExit());
    SaveSet::SetInterruptionForTesting(nullptr);
    JournalFile::SetFlushObserverForTesting(nullptr);
    EXPECT_GE(flushesDuringSave, 1);
}

void Repaint(HBITMAP bitmap, COLORREF colour)
{
    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(memory.Get(), bitmap);
    const RECT all = {0, 0, 6, 4};
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(memory.Get(), &all, brush.Get());
}

TEST_F(DurabilityTest, TheWriterSavesPicturesAsTheyWereWhenRecordedNotAsTheBitmapsAreLater)
{
    auto program = std::make_unique<Program>(folder);
    program->model.InsertPicture(Filled(RGB(255, 0, 0)), L"red");
    // The writer is kept busy while the popup's thread goes on and draws into the bitmaps.
    std::atomic<bool> release{false};
    SaveSet::SetInterruptionForTesting([&](int) {
        for (int wait = 0; wait < 500 && !release; ++wait)
            Sleep(10);
        return false;
    });
    program->durable.SaveOptions();
    program->durable.SaveFull();
    program->model.InsertPicture(Filled(RGB(0, 255, 0)), L"green");
    const std::wstring shown = program->Shown();
    for (int row = 0; row < program->model.Count(); ++row)
        Repaint(program->model.At(row).picture->Bitmap(), RGB(0, 0, 255));
    release = true;
    program.reset();  // ended without the exit save
    SaveSet::SetInterruptionForTesting(nullptr);
    EXPECT_EQ(L"|#65280 #255", shown);
    Program next(folder);
    EXPECT_EQ(shown, next.Shown());
}

}  // namespace
