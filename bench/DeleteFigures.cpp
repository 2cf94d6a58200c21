// A Delete of one entry among many with large formats, from the Delete to the
// entry's bytes in no file of the data folder: what the popup's Delete costs
// the disk, against the same Delete among entries of small formats.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/BenchFolder.h"
#include "bench/FigureRow.h"
#include "bench/InProcessFigures.h"
#include "bench/KeptHistory.h"
#include "bench/RawFile.h"
#include "history/store/extras/ExtrasMap.h"
#include "history/store/formats/FileNames.h"

namespace {

constexpr int kEntries = 300;
constexpr size_t kTextChars = 64;
constexpr double kLongestMs = 30000;

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The data folder holds none of the entry: its formats file is gone, no history or journal file holds its
// text, and no save is under way (no temporary file, no intent).
bool Gone(const std::wstring& data, const std::string& text, std::uint64_t id)
{
    if (Exists(data + extras::FormatsFileName(id, false)) || Exists(data + g_strIntentFileName))
        return false;
    for (const wchar_t* name : {g_strHistoryFileName, g_strJournalFileName}) {
        if (RawFile::Read(data + name).find(text) != std::string::npos)
            return false;
    }
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((data + L"*.qtmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    FindClose(search);
    return false;
}

// A data folder of the sample as this version keeps it: every entry's formats in a file of its own.
struct DeleteFolder {
    explicit DeleteFolder(const SampleHistory& sample)
        : folder(L"delete"), data(SampleHistory::DataFolderOf(folder.Path())),
          ready(folder.Created() && sample.WriteDataFolder(data))
    {
    }
    BenchFolder folder;
    std::wstring data;
    bool ready = false;
};

// One Delete of the entry in the middle; -1 when its bytes stayed.
double TimeDelete(const DeleteFolder& prepared, const SampleHistory& sample, int run)
{
    KeptHistory kept(prepared.data);
    const int row = kept.model.Count() / 2 + run % 10;
    if (row >= kept.model.Count())
        return -1.0;
    const HistoryEntry& entry = kept.model.At(row);
    const std::string text(entry.text->begin(), entry.text->end());
    const std::uint64_t id = entry.id;
    if (!Exists(prepared.data + extras::FormatsFileName(id, false)) && sample.Entries() > 0)
        return -1.0;
    const Stopwatch watch;
    kept.model.Remove({id});
    double elapsed = -1.0;
    while (watch.ElapsedMs() < kLongestMs) {
        kept.Answer();
        if (Gone(prepared.data, text, id)) {
            elapsed = watch.ElapsedMs();
            break;
        }
        Sleep(1);
    }
    kept.durable.SaveAtExit();
    return elapsed;
}

}  // namespace

void BenchDelete(int runs)
{
    const SampleHistory large(kEntries, kTextChars, false, size_t{1} << 20);
    const SampleHistory small(kEntries, kTextChars, false, 1024);
    FigureRow ratio("Delete, 300 entries of 1 MiB HTML",
                    "from Delete to the entry's bytes in no file of the data folder",
                    "the same Delete, 300 entries of 1 KB HTML", FigureRow::Unit::Milliseconds, 2.0);
    FigureRow twoSeconds("Delete, 300 entries of 1 MiB HTML", "from Delete to the entry's bytes in no file of the data folder",
                         "two seconds", FigureRow::Unit::Milliseconds, 1.0);
    const DeleteFolder largeFolder(large);
    const DeleteFolder smallFolder(small);
    if (!largeFolder.ready || !smallFolder.ready) {
        ratio.SetFailure("the data folders could not be written");
        twoSeconds.SetFailure("the data folders could not be written");
    }
    const Stopwatch figure;
    for (int run = 0; largeFolder.ready && smallFolder.ready && run <= runs && !OverBudget(figure, run); ++run) {
        const double work = TimeDelete(largeFolder, large, run);
        const double baseline = TimeDelete(smallFolder, small, run);
        if (work < 0 || baseline < 0) {
            ratio.SetFailure("a Delete left the entry's bytes on disk");
            continue;
        }
        // Run 0 warms up.
        if (run > 0) {
            ratio.AddRun(work, baseline);
            twoSeconds.AddRun(work, 2000.0);
        }
    }
    ratio.Print();
    twoSeconds.Print();
    std::fflush(stdout);
}
