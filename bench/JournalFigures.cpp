// What the journal adds to a change of the history on the popup's thread:
// captures' inserts into a model kept on disk by the journal (the popup's
// DurableHistory, its writer thread running), against the same inserts into a
// model alone.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/FigureRow.h"
#include "bench/InProcessFigures.h"
#include "bench/KeptHistory.h"
#include "bench/RawFile.h"
#include "bench/Samples.h"
#include "history/store/formats/Crc32.h"
#include "history/store/formats/FileNames.h"
#include "history/store/journal/JournalFormat.h"

namespace {

constexpr int kCaptures = 1000;
constexpr size_t kTextChars = 100;
constexpr double kWriterTimeoutMs = 30000;

// A capture's part of the work: the cap, then the new entry.
double TimeInserts(HistoryModel& model, const std::wstring& text)
{
    Stopwatch watch;
    for (int i = 0; i < kCaptures; ++i) {
        model.TrimForInsert();
        model.InsertText(text);
    }
    return watch.ElapsedMs();
}

// One insert's frame in the journal.
std::uint64_t FrameBytes(const std::wstring& text)
{
    return journal::EncodeTextInsert(0, 1, std::u16string(text.begin(), text.end())).size();
}

// The journal's bytes once it holds its start and every insert of the run.
std::uint64_t ExpectedJournalBytes(const std::wstring& text)
{
    journal::Header empty;
    empty.historyCrc = Crc32::Of(nullptr, 0);
    return journal::EncodeStart(empty).size() + static_cast<std::uint64_t>(kCaptures) * FrameBytes(text);
}

// Waits until the writer thread has put everything into the file; -1 on timeout.
double WaitForJournal(const std::wstring& path, std::uint64_t bytes, const Stopwatch& sinceFirstInsert)
{
    while (sinceFirstInsert.ElapsedMs() < kWriterTimeoutMs) {
        if (RawFile::Size(path) >= static_cast<LONGLONG>(bytes))
            return sinceFirstInsert.ElapsedMs();
        Sleep(0);
    }
    return -1.0;
}

}  // namespace

void BenchJournalAppend(int runs)
{
    FigureRow row("Journal", "1000 captures' inserts (100 B texts) into a model kept on disk by the journal",
                  "the same inserts into a model alone", FigureRow::Unit::Milliseconds, 0);
    const std::u16string sample = SampleHistory(1, kTextChars).Text(0);
    const std::wstring text(sample.begin(), sample.end());
    const std::uint64_t journalBytes = ExpectedJournalBytes(text);
    Samples written;
    for (int run = 0; run <= runs; ++run) {
        HistoryModel bare;
        const double baseline = TimeInserts(bare, text);

        BenchFolder folder(L"journal");
        if (!folder.Created()) {
            row.SetFailure("no folder for the journal");
            break;
        }
        const std::wstring data = folder.Path() + L"\\";
        KeptHistory history(data);
        const Stopwatch sinceFirstInsert;
        const double kept = TimeInserts(history.model, text);
        const double writer = WaitForJournal(data + g_strJournalFileName, journalBytes, sinceFirstInsert);
        history.durable.SaveAtExit();
        if (writer < 0 || history.model.Count() != kCaptures) {
            row.SetFailure("the journal did not take every insert");
            continue;
        }
        // Run 0 warms up.
        if (run > 0) {
            row.AddRun(kept, baseline);
            written.Add(writer);
        }
    }
    row.Print();
    std::printf("NOTE\tJournal: a 100 B capture adds a frame of %llu bytes to data.journal; the writer thread had "
                "all %d frames in the file %.1f ms (median) after the first insert\n",
                static_cast<unsigned long long>(FrameBytes(text)), kCaptures, written.Median());
    std::fflush(stdout);
}
