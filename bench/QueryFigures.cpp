// Search as you type: one keystroke (an empty query becomes a one-character
// one) until the popup's list holds the matches, against a bare loop that
// folds and searches the same texts.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/FigureRow.h"
#include "bench/HostedHistory.h"
#include "bench/InProcessFigures.h"
#include "bench/Samples.h"
#include "history/model/TextFolder.h"

namespace {

// A digit: it is in the numbers of some entries only ("Entry 7:", "Entry 170:"),
// so the list changes, and every other text is searched to its end.
const wchar_t kKeystroke[] = L"7";

// The least any search must do: fold each text and look for the words in it.
double TimeBareSearch(const HistoryModel& model, const std::wstring& query, int& matches)
{
    Stopwatch watch;
    TextFolder folder;
    const std::vector<std::wstring> words = folder.FoldWords(query);
    matches = 0;
    for (int row = 0; row < model.Count(); ++row) {
        const HistoryEntry& entry = model.At(row);
        const std::wstring_view text = entry.text ? std::wstring_view(*entry.text) : entry.Label();
        if (ContainsAllWords(folder.Fold(text), words))
            ++matches;
    }
    return watch.ElapsedMs();
}

// What any owner-data list shown on screen costs when the matches replace the
// whole history: its new count, with its scroll bars brought up to date.
double TimeBareCount(ListHost& bare, int all, int matches)
{
    SendMessageW(bare.List(), LVM_SETITEMCOUNT, static_cast<WPARAM>(all), LVSICF_NOSCROLL);
    ListHost::Pump();
    Stopwatch watch;
    SendMessageW(bare.List(), LVM_SETITEMCOUNT, static_cast<WPARAM>(matches), LVSICF_NOSCROLL);
    const bool counted = ListView_GetItemCount(bare.List()) == matches;
    const double elapsed = watch.ElapsedMs();
    ListHost::Pump();
    return counted ? elapsed : -1.0;
}

}  // namespace

void BenchQuery(const SampleHistory& sample, const char* size, int runs)
{
    const char* baseline = "a loop that folds and searches the same texts";
    FigureRow row("Query", std::string("one keystroke to the list updated, ") + size, baseline,
                  FigureRow::Unit::Milliseconds, 1.5);
    FigureRow floor("Query (floor)",
                    std::string("LVM_SETITEMCOUNT from all to the matches on a bare shown owner-data list, ") + size,
                    baseline, FigureRow::Unit::Milliseconds, 0);
    Samples painted;
    HostedHistory hosted;
    ListHost bare(ListHost::Kind::OwnerData);
    bare.SetDisplayInfo([](LVITEMW& item) {
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 1)
            lstrcpynW(item.pszText, L"Entry", item.cchTextMax);
    });
    if (!hosted.Created() || !bare.Created()) {
        for (FigureRow* failed : {&row, &floor}) {
            failed->SetFailure("no list view");
            failed->Print();
        }
        return;
    }
    hosted.Fill(sample);
    ListHost::Pump();
    const Stopwatch figure;
    int matches = -1;
    for (int run = 0; run <= runs && !OverBudget(figure, run - 1); ++run) {
        hosted.View().SetQuery(L"");
        ListHost::Pump();
        const double search = TimeBareSearch(hosted.Model(), kKeystroke, matches);
        Stopwatch watch;
        hosted.View().SetQuery(kKeystroke);
        const int shown = hosted.ListCount();
        const double query = watch.ElapsedMs();
        UpdateWindow(hosted.List());
        const double withPaint = watch.ElapsedMs();
        const double count = TimeBareCount(bare, sample.Entries(), matches);
        if (shown != matches || matches <= 0 || matches >= sample.Entries() || count < 0) {
            row.SetFailure("the list did not show the matches");
            continue;
        }
        // Run 0 warms up.
        if (run > 0) {
            row.AddRun(query, search);
            floor.AddRun(count, search);
            painted.Add(withPaint);
        }
    }
    row.Print();
    floor.Print();
    std::printf("NOTE\tQuery, %s: query \"%ls\" shows %d of %d entries; with the list's first paint after it, "
                "median %.2f ms\n",
                size, kKeystroke, matches, sample.Entries(), painted.Median());
    std::fflush(stdout);
}
