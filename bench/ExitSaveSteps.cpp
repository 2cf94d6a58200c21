// The exit save without the process around it: DurableHistory::SaveAtExit of
// a loaded data folder, in this process (notes only).
#include <windows.h>

#include <cstdio>

#include "bench/BenchFolder.h"
#include "bench/InProcessFigures.h"
#include "bench/KeptHistory.h"
#include "bench/RawFile.h"
#include "bench/Samples.h"
#include "history/store/formats/FileNames.h"

namespace {

// The save timed; -1 when it failed or wrote another history than it loaded.
double TimeSaveAtExit(const SampleHistory& sample)
{
    BenchFolder folder(L"exit");
    const std::wstring data = SampleHistory::DataFolderOf(folder.Path());
    if (!folder.Created() || !sample.WriteDataFolder(data))
        return -1.0;
    KeptHistory kept(data);
    Stopwatch watch;
    const bool saved = kept.durable.SaveAtExit();
    const double elapsed = watch.ElapsedMs();
    const bool same = RawFile::Size(data + g_strHistoryFileName) ==
                      static_cast<LONGLONG>(sample.HistoryFileBytes().size());
    return saved && same && kept.model.Count() == sample.Entries() ? elapsed : -1.0;
}

}  // namespace

void BenchSaveAtExit(int runs)
{
    const SampleHistory samples[] = {SampleHistory(0, 0), SampleHistory(1000, 1024)};
    const char* names[] = {"empty history", "1000 x 1 KB"};
    Samples times[2];
    for (int run = 0; run <= runs; ++run) {
        for (int i = 0; i < 2; ++i) {
            const double elapsed = TimeSaveAtExit(samples[i]);
            // Run 0 warms up.
            if (run > 0 && elapsed >= 0)
                times[i].Add(elapsed);
        }
    }
    for (int i = 0; i < 2; ++i)
        std::printf("NOTE\tExit save without the process (DurableHistory::SaveAtExit: the files written, flushed "
                    "and moved into place as one set), %s: median %.2f ms (%zu runs)\n",
                    names[i], times[i].Median(), times[i].Count());
    std::fflush(stdout);
}
