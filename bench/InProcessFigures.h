#pragma once
// The figures that bench_inprocess times around the product's own classes.
#include "bench/SampleHistory.h"
#include "bench/Stopwatch.h"

// Slow machines or a slow product stop a figure after this long, once three runs are in.
constexpr double kFigureBudgetMs = 120000;
constexpr int kMinimumRuns = 3;

inline bool OverBudget(const Stopwatch& figure, int runsDone)
{
    return runsDone >= kMinimumRuns && figure.ElapsedMs() > kFigureBudgetMs;
}

// Loading the history file into the model and the list, against reading the
// file and against reading it and widening its texts.
void BenchLoad(const SampleHistory& sample, const char* size, int runs, double widenTarget);
// What loading 1000 x 100 KB adds to a process's private bytes (a note).
void BenchLoadMemory();
// The measurement behind it, when this program is run again for it; -1 otherwise.
int MeasureLoadMemory(int argc, wchar_t** argv);
// Set top, Delete and Clear All on 1000 selected entries.
void BenchListCommands(const SampleHistory& sample, int runs);
// One keystroke of search: the list updated against a bare fold-and-search loop.
void BenchQuery(const SampleHistory& sample, const char* size, int runs);
// What keeping every change in the journal adds to a change of the history.
void BenchJournalAppend(int runs);
// A capture's changes with a full history against an empty one (a note).
void BenchCaptureSteps(int runs);
// The full save at exit without the process around it (notes only).
void BenchSaveAtExit(int runs);
// A Delete among 300 entries of 1 MiB HTML, to its bytes in no file of the
// data folder, against 300 of 1 KB and against two seconds.
void BenchDelete(int runs);
// Sharing through a folder: a capture with it on against off, and a merge of
// 10,000 entries from another PC against reading their bytes.
void BenchSharing(int runs);
// Single list-view calls that the figures above are made of (notes only).
void BenchListViewCosts(int runs);
