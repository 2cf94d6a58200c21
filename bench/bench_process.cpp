// Figures of the running product: start-up, exit save, compaction, memory and
// file size, measured on the real quillary.exe started from prepared data folders.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/FigureRow.h"
#include "bench/ProductProcess.h"
#include "bench/RawFile.h"
#include "bench/SampleHistory.h"
#include "bench/Stopwatch.h"
#include "framework/Handles.h"
#include "history/store/formats/FileNames.h"
#include "resource.h"

namespace {

constexpr DWORD kProcessTimeoutMs = 180000;

// One history under test: its folder with the product, and the files to restore before each start.
struct Case {
    enum class Kept { FullSave, JournalOnly };
    Case(const wchar_t* tag, SampleHistory history, Kept how)
        : sample(history), kept(how), folder(tag), settings(sample.SettingsFileBytes()),
          records(sample.HistoryFileBytes())
    {
    }
    bool Restore() const
    {
        const std::wstring data = SampleHistory::DataFolderOf(folder.Path());
        return kept == Kept::FullSave ? sample.WriteDataFolder(data) : sample.WriteJournalFolder(data);
    }
    SampleHistory sample;
    Kept kept;
    BenchFolder folder;
    std::string settings;
    std::string records;  // data.data of the history, as a full save writes it
};

struct RunResult {
    bool ok = false;
    double startupMs = 0;
    double privateBytes = 0;
    double exitMs = 0;
    double savedBytes = 0;  // data.data as the product wrote it at exit
    bool journalLeft = false;
};

// The exit baseline: the same bytes to one file, one WriteFile, then FlushFileBuffers.
double TimePlainSave(const Case& c)
{
    const std::wstring path = c.folder.Child(L"plain-save.bin");
    const std::string bytes = c.records + c.settings;
    Stopwatch watch;
    UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok = file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(file.Get());
    file.Reset();
    const double elapsed = watch.ElapsedMs();
    DeleteFileW(path.c_str());
    return ok ? elapsed : -1.0;
}

RunResult RunOnce(const Case& c)
{
    RunResult result;
    const std::wstring data = SampleHistory::DataFolderOf(c.folder.Path());
    if (!c.Restore())
        return result;

    ProductProcess product(c.folder.Path());
    Stopwatch watch;
    if (!product.Start() || !product.WaitUntilReady(c.sample.Entries(), kProcessTimeoutMs))
        return result;
    result.startupMs = watch.ElapsedMs();

    // Let the freshly started process settle before reading its memory.
    Sleep(300);
    result.privateBytes = product.PrivateBytes();

    watch.Restart();
    if (!product.PostCommand(ID_MENU_EXIT) || !product.WaitForEnd(kProcessTimeoutMs))
        return result;
    result.exitMs = watch.ElapsedMs();
    const bool sealed = RawFile::Size(data + g_strKeyFileName) >= 0;
    result.savedBytes =
        static_cast<double>(RawFile::Size(data + (sealed ? g_strSealedHistoryFileName : g_strHistoryFileName)));
    result.journalLeft = RawFile::Size(data + (sealed ? g_strSealedJournalFileName : g_strJournalFileName)) >= 0;
    result.ok = true;
    return result;
}

// Every figure of this program, fed with one run's results of the four cases.
class ProcessFigures {
public:
    static constexpr size_t kEmpty = 0, kJournal = 3, kSealed1k = 4, kSealed100k = 5, kHtml1k = 6;

    ProcessFigures()
        : startupJournal("Start-up", "start to popup shown and list filled, 1000 x 1 KB in data.journal alone",
                         "start-up with the same history in data.data", FigureRow::Unit::Milliseconds, 1.5),
          exitEmpty("Exit save", "Exit command to process end, empty history", kPlainSave,
                    FigureRow::Unit::Milliseconds, 0),
          compaction("Compaction",
                     "Exit command to process end, 1000 x 1 KB in data.journal alone, folded into data.data",
                     kPlainSave, FigureRow::Unit::Milliseconds, 2.0),
          startupSealed("Start-up", "start to popup shown and list filled, 1000 x 1 KB encrypted",
                        "start-up with the same history plain", FigureRow::Unit::Milliseconds, 1.3),
          filesSealed("Files", "size of the history file written at exit, 1000 x 100 KB encrypted",
                      "size of the same history's file plain", FigureRow::Unit::Bytes, 1.05),
          startupHtml("Start-up", "start to popup shown and list filled, 1000 x 1 KB with 50 KB of HTML each",
                      "start-up with the same texts without HTML", FigureRow::Unit::Milliseconds, 1.2),
          memoryHtml("Memory", "private bytes with the list filled, 1000 x 1 KB with 50 KB of HTML each",
                     "private bytes with the same texts without HTML", FigureRow::Unit::Bytes, 1.1)
    {
        const char* names[] = {"1000 x 1 KB", "1000 x 100 KB"};
        const double startupTargets[] = {1.5, 3.0};
        for (size_t i = 0; i < 2; ++i) {
            const std::string name = names[i];
            startup.emplace_back("Start-up", "start to popup shown and list filled, " + name,
                                 "start-up with an empty history", FigureRow::Unit::Milliseconds, startupTargets[i]);
            exitSave.emplace_back("Exit save", "Exit command to process end, " + name, kPlainSave,
                                  FigureRow::Unit::Milliseconds, 2.0);
            memory.emplace_back("Memory", "private bytes with the list filled, " + name,
                                "texts in UTF-16 + empty program's private bytes", FigureRow::Unit::Bytes, 1.3);
            files.emplace_back("Files", "size of data.data written at exit, " + name, "the texts' size in bytes",
                               FigureRow::Unit::Bytes, 1.05);
        }
    }

    void AddRun(const std::vector<std::unique_ptr<Case>>& cases, const std::vector<RunResult>& results,
                const std::vector<double>& plainSaves)
    {
        const RunResult& empty = results[kEmpty];
        if (empty.ok)
            exitEmpty.AddRun(empty.exitMs, plainSaves[kEmpty]);
        for (size_t i = 1; i <= 2; ++i) {
            const RunResult& r = results[i];
            const SampleHistory& sample = cases[i]->sample;
            if (!r.ok || !empty.ok) {
                startup[i - 1].SetFailure("a run did not finish");
                continue;
            }
            startup[i - 1].AddRun(r.startupMs, empty.startupMs);
            exitSave[i - 1].AddRun(r.exitMs, plainSaves[i]);
            memory[i - 1].AddRun(r.privateBytes, sample.TextUtf16Bytes() + empty.privateBytes);
            files[i - 1].AddRun(r.savedBytes, sample.TextBytes());
        }
        const RunResult& sealed1k = results[kSealed1k];
        const RunResult& sealed100k = results[kSealed100k];
        if (sealed1k.ok && results[1].ok)
            startupSealed.AddRun(sealed1k.startupMs, results[1].startupMs);
        else
            startupSealed.SetFailure("a run did not finish");
        if (sealed100k.ok && results[2].ok)
            filesSealed.AddRun(sealed100k.savedBytes, results[2].savedBytes);
        else
            filesSealed.SetFailure("a run did not finish");
        const RunResult& html = results[kHtml1k];
        if (html.ok && results[1].ok) {
            startupHtml.AddRun(html.startupMs, results[1].startupMs);
            memoryHtml.AddRun(html.privateBytes, results[1].privateBytes);
        } else {
            startupHtml.SetFailure("a run did not finish");
            memoryHtml.SetFailure("a run did not finish");
        }
        const RunResult& journal = results[kJournal];
        const RunResult& sameInFullSave = results[1];
        const bool folded = journal.ok && !journal.journalLeft &&
                            journal.savedBytes == static_cast<double>(cases[kJournal]->records.size());
        if (!folded) {
            startupJournal.SetFailure("a run did not finish, or left the journal unfolded");
            compaction.SetFailure("a run did not finish, or left the journal unfolded");
        } else {
            compaction.AddRun(journal.exitMs, plainSaves[kJournal]);
            if (sameInFullSave.ok)
                startupJournal.AddRun(journal.startupMs, sameInFullSave.startupMs);
        }
    }

    void Print() const
    {
        for (const FigureRow& row : startup)
            row.Print();
        startupJournal.Print();
        startupSealed.Print();
        startupHtml.Print();
        for (const FigureRow& row : exitSave)
            row.Print();
        exitEmpty.Print();
        compaction.Print();
        for (const auto* rows : {&memory, &files})
            for (const FigureRow& row : *rows)
                row.Print();
        filesSealed.Print();
        memoryHtml.Print();
        std::printf("NOTE\tMemory: %s\n", ProductProcess::PrivateBytesSource());
    }

private:
    static constexpr const char* kPlainSave = "WriteFile + FlushFileBuffers of the same bytes";

    std::vector<FigureRow> startup, exitSave, memory, files;
    FigureRow startupJournal, exitEmpty, compaction, startupSealed, filesSealed, startupHtml, memoryHtml;
};

}  // namespace

int wmain()
{
    const int runs = 5;
    std::vector<std::unique_ptr<Case>> cases;
    cases.push_back(std::make_unique<Case>(L"empty", SampleHistory(0, 0), Case::Kept::FullSave));
    cases.push_back(std::make_unique<Case>(L"1k", SampleHistory(1000, 1024), Case::Kept::FullSave));
    cases.push_back(std::make_unique<Case>(L"100k", SampleHistory(1000, 100 * 1024), Case::Kept::FullSave));
    cases.push_back(std::make_unique<Case>(L"journal", SampleHistory(1000, 1024), Case::Kept::JournalOnly));
    cases.push_back(std::make_unique<Case>(L"1k-sealed", SampleHistory(1000, 1024, true), Case::Kept::FullSave));
    cases.push_back(std::make_unique<Case>(L"100k-sealed", SampleHistory(1000, 100 * 1024, true), Case::Kept::FullSave));
    cases.push_back(
        std::make_unique<Case>(L"1k-html", SampleHistory(1000, 1024, false, 50 * 1024), Case::Kept::FullSave));
    for (const auto& c : cases) {
        if (!c->folder.Created()) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            return 1;
        }
    }
    ProcessFigures figures;
    // Run 0 warms the file cache and Wine's loader; it is not counted.
    for (int run = 0; run <= runs; ++run) {
        std::vector<RunResult> results;
        std::vector<double> plainSaves;
        for (const auto& c : cases) {
            results.push_back(RunOnce(*c));
            plainSaves.push_back(TimePlainSave(*c));
        }
        if (run > 0)
            figures.AddRun(cases, results, plainSaves);
    }
    figures.Print();
    return 0;
}
