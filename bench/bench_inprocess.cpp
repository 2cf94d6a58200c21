// In-process figures: loading, the list commands, search and the journal,
// timed around the product's own classes on a shown list view like the popup's.
#include "bench/InProcessFigures.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1)
        return MeasureLoadMemory(argc, argv);
    BenchLoad(SampleHistory(1000, 1024), "1000 x 1 KB", 11, 3.0);
    BenchLoad(SampleHistory(1000, 100 * 1024), "1000 x 100 KB", 7, 0);
    BenchLoadMemory();
    BenchListCommands(SampleHistory(1000, 1024), 15);
    BenchQuery(SampleHistory(1000, 1024), "1000 x 1 KB", 21);
    BenchQuery(SampleHistory(1000, 100 * 1024), "1000 x 100 KB", 7);
    BenchJournalAppend(11);
    BenchCaptureSteps(41);
    BenchSharing(7);
    BenchSaveAtExit(5);
    BenchDelete(5);
    BenchListViewCosts(11);
    return 0;
}
