// Load: the history file into the model and the popup's list, as start-up
// does, against the least any loader must do with the same bytes.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/FigureRow.h"
#include "bench/HostedHistory.h"
#include "bench/InProcessFigures.h"
#include "bench/ProductProcess.h"
#include "bench/RawFile.h"
#include "bench/Samples.h"
#include "framework/CArchive.h"
#include "framework/CFile.h"
#include "framework/Handles.h"
#include "history/store/formats/FileNames.h"
#include "history/model/ClipOptions.h"
#include "history/store/formats/HistoryFormat.h"
#include "history/store/HistoryStore.h"

namespace {

// One ReadFile of the whole file into a buffer that is already in memory.
double TimeWholeRead(const std::wstring& path, std::vector<char>& buffer)
{
    Stopwatch watch;
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
        got != buffer.size())
        return -1.0;
    file.Reset();
    return watch.ElapsedMs();
}

// A text record's kind and length prefix (ASCII texts: 4 + 1, 3 or 7 bytes).
size_t RecordHead(size_t chars)
{
    return 4 + (chars < 255 ? 1 : chars < 65534 ? 3 : 7);
}

// Every text of the history file in `file` widened into a block of its own.
std::vector<std::unique_ptr<wchar_t[]>> WidenTexts(const std::vector<char>& file, const SampleHistory& sample)
{
    std::vector<std::unique_ptr<wchar_t[]>> blocks;
    blocks.reserve(static_cast<size_t>(sample.Entries()));
    const size_t chars = sample.TextChars();
    const char* record = file.data();
    for (int i = 0; i < sample.Entries(); ++i) {
        record += RecordHead(chars);
        blocks.emplace_back(new wchar_t[chars + 1]);
        wchar_t* block = blocks.back().get();
        for (size_t c = 0; c < chars; ++c)
            block[c] = static_cast<unsigned char>(record[c]);
        block[chars] = L'\0';
        record += chars;
    }
    return blocks;
}

// The least any loader must do, since entries are kept in UTF-16: read the
// file and widen every text into a block of its own.
double TimeReadAndWiden(const std::wstring& path, const SampleHistory& sample, std::vector<char>& buffer)
{
    Stopwatch watch;
    if (TimeWholeRead(path, buffer) < 0)
        return -1.0;
    const auto blocks = WidenTexts(buffer, sample);
    return watch.ElapsedMs();
}

// Steps of LoadHistory, timed apart: the file read through an archive as
// loading reads it (its default buffer) as raw bytes record by record, then
// as records decoded, then with each decoded text copied into a shared text
// of its own as the entries hold them; -1 when the file ended early.
enum class ArchiveStep { RawBytes, Decoded, Kept };

double TimeArchiveReads(const std::wstring& path, const SampleHistory& sample, ArchiveStep step)
{
    Stopwatch watch;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead))
        return -1.0;
    CArchive archive(&file, CArchive::load);
    const size_t head = RecordHead(sample.TextChars());
    std::string bytes(head + sample.TextChars(), '\0');
    std::vector<std::shared_ptr<const std::wstring>> kept;
    try {
        for (int i = 0; i < sample.Entries(); ++i) {
            if (step == ArchiveStep::RawBytes) {
                if (archive.ReadBytes(&bytes[0], head) != head ||
                    archive.ReadBytes(&bytes[0], sample.TextChars()) != sample.TextChars())
                    return -1.0;
                continue;
            }
            const HistoryRecord record = ReadHistoryRecord(archive, archive.Codec());
            if (step == ArchiveStep::Kept)
                kept.push_back(std::make_shared<const std::wstring>(record.text.begin(), record.text.end()));
        }
    } catch (...) {
        return -1.0;
    }
    return watch.ElapsedMs();
}

// LoadHistory into a fresh model and a list not yet shown, as at start-up;
// -1 when they did not fill.
double TimeLoad(const std::wstring& dataFolder, int entries, HostedHistory::LoadSteps& steps)
{
    HostedHistory hosted;
    if (!hosted.Created())
        return -1.0;
    hosted.Hide();
    Stopwatch watch;
    const bool filled = hosted.Load(dataFolder, entries, steps);
    const double elapsed = watch.ElapsedMs();
    return filled ? elapsed : -1.0;
}

}  // namespace

void BenchLoad(const SampleHistory& sample, const char* size, int runs, double widenTarget)
{
    const std::string name(size);
    const char* readBaseline = "one ReadFile of the same bytes";
    const char* widenBaseline = "ReadFile, then widen each text into its own block";
    FigureRow floor("Load (floor)", name + ": ReadFile, then widen each text into its own block", readBaseline,
                    FigureRow::Unit::Milliseconds, 0);
    FigureRow againstRead("Load", "LoadHistory and the list refreshed, " + name, readBaseline,
                          FigureRow::Unit::Milliseconds, 3.0);
    FigureRow againstWiden("Load", "LoadHistory and the list refreshed, " + name, widenBaseline,
                           FigureRow::Unit::Milliseconds, widenTarget);
    FigureRow* rows[] = {&floor, &againstRead, &againstWiden};

    BenchFolder folder(L"load");
    const std::wstring dataFolder = SampleHistory::DataFolderOf(folder.Path());
    if (!folder.Created() || !sample.WriteDataFolder(dataFolder)) {
        for (FigureRow* row : rows) {
            row->SetFailure("cannot write the history files");
            row->Print();
        }
        return;
    }
    const std::wstring path = dataFolder + g_strHistoryFileName;
    std::vector<char> buffer(static_cast<size_t>(RawFile::Size(path)), 1);
    Samples rawSteps, recordSteps, textSteps, readSteps, refreshSteps;
    const Stopwatch figure;
    // Run 0 warms the file cache and the heap.
    for (int run = 0; run <= runs && !OverBudget(figure, run - 1); ++run) {
        HostedHistory::LoadSteps steps;
        const double read = TimeWholeRead(path, buffer);
        const double widen = TimeReadAndWiden(path, sample, buffer);
        const double load = TimeLoad(dataFolder, sample.Entries(), steps);
        const double raw = TimeArchiveReads(path, sample, ArchiveStep::RawBytes);
        const double records = TimeArchiveReads(path, sample, ArchiveStep::Decoded);
        const double texts = TimeArchiveReads(path, sample, ArchiveStep::Kept);
        if (read < 0 || widen < 0 || load < 0 || raw < 0 || records < 0 || texts < 0) {
            for (FigureRow* row : rows)
                row->SetFailure("a run failed");
            continue;
        }
        if (run == 0)
            continue;
        floor.AddRun(widen, read);
        againstRead.AddRun(load, read);
        againstWiden.AddRun(load, widen);
        rawSteps.Add(raw);
        recordSteps.Add(records);
        textSteps.Add(texts);
        readSteps.Add(steps.readMs);
        refreshSteps.Add(steps.refreshMs);
    }
    for (FigureRow* row : rows)
        row->Print();
    std::printf("NOTE\tLoad, %s, medians of its steps: HistoryStore::LoadHistory %.2f ms, then the list refreshed "
                "and its drawing resumed %.2f ms. Alone, through CArchive's default buffer: the records' bytes "
                "%.2f ms; the records decoded (ReadHistoryRecord) %.2f ms; and each text copied into a shared "
                "text of its own %.2f ms\n",
                size, readSteps.Median(), refreshSteps.Median(), rawSteps.Median(), recordSteps.Median(),
                textSteps.Median());
    std::fflush(stdout);
}

namespace {

const wchar_t kMemoryArgument[] = L"load-memory";
const SampleHistory kMemorySample(1000, 100 * 1024);

}  // namespace

int MeasureLoadMemory(int argc, wchar_t** argv)
{
    if (argc != 4 || std::wstring(argv[1]) != kMemoryArgument)
        return -1;
    // The folder comes without a trailing backslash, which would quote the closing quote.
    const std::wstring how = argv[2], path = SampleHistory::DataFolderOf(argv[3]) + g_strHistoryFileName;
    const LONGLONG size = RawFile::Size(path);
    if (size < 0)
        return -1;
    const double before = ProductProcess::PrivateBytesOf(GetCurrentProcess());
    HistoryModel model;
    std::vector<std::unique_ptr<wchar_t[]>> blocks;
    if (how == L"load") {
        ClipOptions options;
        options.m_nEntryCount = kMemorySample.Entries();
        HistoryStore store(model, options);
        model.BeginLoad();
        store.LoadHistory(path.c_str());
        model.Loaded();
        if (model.Count() != kMemorySample.Entries())
            return -1;
    } else {
        // The file's bytes go before the count, as a loader's own buffers would.
        std::vector<char> file(static_cast<size_t>(size));
        if (TimeWholeRead(path, file) < 0)
            return -1;
        blocks = WidenTexts(file, kMemorySample);
    }
    const double after = ProductProcess::PrivateBytesOf(GetCurrentProcess());
    return static_cast<int>((after - before) / (1024 * 1024) + 0.5);
}

namespace {

// Runs this program again to measure one way of loading in a fresh heap; MiB, or -1.
int GrowthInFreshProcess(const wchar_t* how, const std::wstring& folder)
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return -1;
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" " + kMemoryArgument + L" " + how + L" \"" + folder + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return -1;
    CloseHandle(started.hThread);
    UniqueFileHandle process(started.hProcess);
    DWORD code = 0;
    if (WaitForSingleObject(process.Get(), 300000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.Get(), &code))
        return -1;
    return static_cast<int>(code);
}

}  // namespace

void BenchLoadMemory()
{
    BenchFolder folder(L"memory");
    const std::wstring dataFolder = SampleHistory::DataFolderOf(folder.Path());
    if (!folder.Created() || !kMemorySample.WriteDataFolder(dataFolder))
        return;
    const int loaded = GrowthInFreshProcess(L"load", folder.Path());
    const int widened = GrowthInFreshProcess(L"widen", folder.Path());
    std::printf("NOTE\tMemory, 1000 x 100 KB (texts in UTF-16: %.0f MiB), private bytes added in a fresh process: "
                "by HistoryStore::LoadHistory %d MiB, by reading the file and widening each text into its own block "
                "%d MiB\n",
                kMemorySample.TextUtf16Bytes() / (1024 * 1024), loaded, widened);
    std::fflush(stdout);
}
