// A save that cannot finish never slows the journal: a blocked move is tried
// again on a schedule, not with every change; a failed full save is asked for
// again; a read-only file of ours does not block the set; the changes that
// cannot be written are kept in memory only up to a bound, which is told.
#include <gtest/gtest.h>

#include "history/store/formats/FileNames.h"
#include "history/store/journal/JournalWriter.h"
#include "history/store/journal/RetrySchedule.h"
#include "file_test_support.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace file_test;
using Clock = RetrySchedule::Clock;
using std::chrono::seconds;

TEST(RetrySchedule, TheNextChangeThenPausesThatDoubleUpToAMinute)
{
    RetrySchedule schedule;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Clock::time_point::max(), schedule.Due());
    EXPECT_FALSE(schedule.DueAtChange(start));

    schedule.Waiting(start);
    EXPECT_TRUE(schedule.DueAtChange(start)) << "the first failure is tried again at the next change";
    EXPECT_EQ(start + seconds(1), schedule.Due());
    schedule.Waiting(start + seconds(5));  // another failure before the retry changes nothing
    EXPECT_EQ(start + seconds(1), schedule.Due());

    const int pauses[] = {2, 4, 8, 16, 32, 60, 60};
    Clock::time_point now = start;
    for (int pause : pauses) {
        schedule.Started();
        schedule.Waiting(now);
        EXPECT_EQ(now + seconds(pause), schedule.Due());
        EXPECT_FALSE(schedule.DueAtChange(now + seconds(pause) - seconds(1))) << pause;
        EXPECT_TRUE(schedule.DueAtChange(now + seconds(pause))) << pause;
        now += seconds(pause);
    }

    schedule.Clear();
    EXPECT_EQ(Clock::time_point::max(), schedule.Due());
    schedule.Waiting(now);
    EXPECT_EQ(now + seconds(1), schedule.Due()) << "after success the schedule starts afresh";
}

SaveSnapshot Texts(std::initializer_list<const wchar_t*> texts)
{
    SaveSnapshot snapshot;
    EntryId id = 100;
    for (const wchar_t* text : texts)
        snapshot.history.entries.push_back({++id, std::make_shared<const std::wstring>(text), nullptr});
    snapshot.pictureFiles.resize(snapshot.history.entries.size());
    return snapshot;
}

journal::Record Insert(EntryId id)
{
    journal::Record record;
    record.op = journal::Op::InsertText;
    record.ids = {id};
    return record;
}

// A writer over a fresh folder, with what it reports and asks for.
class SaveRetryTest : public testing::Test {
protected:
    void SetUp() override { StartWriter(0); }
    // A writer that goes on with the first `journalLength` bytes of the journal there.
    void StartWriter(std::uint64_t journalLength)
    {
        JournalWriter::Callbacks callbacks;
        callbacks.report = [this](const JournalWriter::Report& report) {
            std::lock_guard<std::mutex> lock(mutex);
            reports.push_back(report);
        };
        callbacks.fullSaveWanted = [this] { ++fullSavesWanted; };
        writer = nullptr;
        writer = std::make_unique<JournalWriter>(temp.Path(), 24, std::move(callbacks));
        writer->Start(journal::Header(), 0, temp / g_strJournalFileName, journalLength, 0, true, false);
    }
    void TearDown() override { SaveSet::SetInterruptionForTesting(nullptr); }

    void Append(EntryId id, std::shared_ptr<const std::wstring> text)
    {
        HistoryEntry entry{id, std::move(text), nullptr};
        writer->Append(Insert(id), entry);
    }
    // Waits (on the writer's thread's work) until `done` holds.
    template <typename Done>
    bool Within(int milliseconds, Done done)
    {
        for (int waited = 0; waited < milliseconds; waited += 10) {
            if (done())
                return true;
            Sleep(10);
        }
        return done();
    }
    std::wstring TemporaryJournal() const
    {
        for (const std::wstring& name : temp.Names()) {
            if (name.rfind(std::wstring(g_strJournalFileName) + L".", 0) == 0)
                return temp / name;
        }
        return std::wstring();
    }
    std::vector<DWORD> ReportedErrors()
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<DWORD> errors;
        for (const JournalWriter::Report& report : reports) {
            if (report.kind == JournalWriter::Report::Kind::SaveFailed)
                errors.push_back(report.error);
        }
        return errors;
    }

    TempFolder temp{L"retry"};
    std::mutex mutex;
    std::vector<JournalWriter::Report> reports;
    std::atomic<int> fullSavesWanted{0};
    std::unique_ptr<JournalWriter> writer;
};

TEST_F(SaveRetryTest, ChangesWhileAMoveIsBlockedDoNotEachTryTheMovesAgain)
{
    writer->SaveFull(Texts({L"first"}));
    ASSERT_TRUE(Within(2000, [&] { return Exists(temp / g_strHistoryFileName); }));
    std::atomic<int> recoveries{0};
    {
        // The first save's move may still hold the file for a moment after its name appears.
        UniqueFileHandle held;
        ASSERT_TRUE(Within(2000, [&] {
            held.Reset(CreateFileW((temp / g_strHistoryFileName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
            return static_cast<bool>(held);
        }));
        writer->SaveFull(Texts({L"second", L"first"}));
        ASSERT_TRUE(Within(3000, [&] { return !ReportedErrors().empty(); }));
        SaveSet::SetInterruptionForTesting([&](int operation) {
            recoveries += operation == 0;
            return false;
        });
        // Changes go on into the waiting save's new journal; all of them are there before the held file goes.
        const std::wstring journal = TemporaryJournal();
        const size_t before = ReadWholeFile(journal).size();
        for (EntryId id = 1; id <= 10; ++id)
            Append(id, std::make_shared<const std::wstring>(L"while held"));
        ASSERT_TRUE(Within(3000, [&] { return ReadWholeFile(journal).size() >= before + 10 * 40; }));
        SaveSet::SetInterruptionForTesting(nullptr);
    }
    EXPECT_LE(recoveries.load(), 2);
    EXPECT_TRUE(writer->Finish(Texts({L"third", L"second", L"first"})));
}

// Wine run by root writes and replaces read-only files; Windows refuses both.
TEST_F(SaveRetryTest, ReadOnlyFilesOfOursAreWrittenAndReplacedAllTheSame)
{
    writer->SaveFull(Texts({L"first"}));
    ASSERT_TRUE(Within(2000, [&] { return Exists(temp / g_strHistoryFileName); }));
    const Bytes first = ReadWholeFile(temp / g_strHistoryFileName);
    writer = nullptr;
    for (const wchar_t* name : {g_strHistoryFileName, g_strJournalFileName})
        ASSERT_TRUE(SetFileAttributesW((temp / name).c_str(), FILE_ATTRIBUTE_READONLY));
    const size_t journal = ReadWholeFile(temp / g_strJournalFileName).size();
    StartWriter(journal);
    Append(1, std::make_shared<const std::wstring>(L"second"));
    EXPECT_TRUE(Within(2000, [&] { return ReadWholeFile(temp / g_strJournalFileName).size() > journal; }));
    EXPECT_FALSE(GetFileAttributesW((temp / g_strJournalFileName).c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(writer->Finish(Texts({L"second", L"first"})));
    EXPECT_NE(first, ReadWholeFile(temp / g_strHistoryFileName));
    EXPECT_TRUE(ReportedErrors().empty());
}

TEST_F(SaveRetryTest, AFullSaveThatFailedIsAskedForAgainAtTheNextChange)
{
    bool interrupted = false;
    SaveSet::SetInterruptionForTesting([&](int) { return !interrupted && (interrupted = true); });
    writer->SaveFull(Texts({L"first"}));
    ASSERT_TRUE(Within(2000, [&] { return !ReportedErrors().empty(); }));
    EXPECT_EQ(0, fullSavesWanted.load());
    Append(1, std::make_shared<const std::wstring>(L"next"));
    EXPECT_TRUE(Within(2000, [&] { return fullSavesWanted > 0; }));
}

TEST_F(SaveRetryTest, ChangesThatCannotBeWrittenAreKeptUpToABoundThatIsTold)
{
    const auto megabyte = std::make_shared<const std::wstring>(size_t{1} << 20, L'x');
    const size_t frames = JournalFile::kPendingBound / megabyte->size() + 4;
    {
        ASSERT_TRUE(WriteWholeFile(temp / g_strJournalFileName, Bytes()));
        UniqueFileHandle held(CreateFileW((temp / g_strJournalFileName).c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        for (size_t id = 1; id <= frames; ++id)
            Append(id, megabyte);
        EXPECT_TRUE(Within(5000, [&] { return ReportedErrors().size() >= 2; }));
    }
    const std::vector<DWORD> errors = ReportedErrors();
    ASSERT_EQ(2u, errors.size());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), errors[0]);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), errors[1]);
    EXPECT_TRUE(Within(3000, [&] { return fullSavesWanted > 0; }));
    EXPECT_TRUE(writer->Finish(Texts({L"after the bound"})));
}

}  // namespace
