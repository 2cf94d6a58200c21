// A capture's changes of the history in this process, with the popup's list
// following them as while the popup is hidden (drawing held) and its first row
// focused: with a full history of long texts against an empty one (notes only).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "bench/HostedHistory.h"
#include "bench/InProcessFigures.h"
#include "bench/Samples.h"

namespace {

// The model's part of a capture (the cap, then the new entry), timed; -1 when
// the list did not follow.
double TimeCapture(HostedHistory& hosted, const std::wstring& text)
{
    hosted.View().SelectOnly(0);
    const int before = hosted.Model().Count();
    Stopwatch watch;
    hosted.Model().TrimForInsert();
    hosted.Model().InsertText(text);
    const double elapsed = watch.ElapsedMs();
    const int expected = before < hosted.Model().MaxEntries() ? before + 1 : before;
    const bool followed = hosted.ListCount() == expected && ListView_GetNextItem(hosted.List(), -1, LVNI_FOCUSED) == 1;
    return followed ? elapsed : -1.0;
}

double CaptureMedian(const SampleHistory& history, const std::wstring& text, int runs)
{
    HostedHistory hosted;
    if (!hosted.Created())
        return -1.0;
    hosted.Fill(history);
    ListHost::Pump();
    HistoryListView::RedrawHold hidden(hosted.View());
    // An empty history gets the row to focus from a first capture.
    if (history.Entries() == 0)
        hosted.Model().InsertText(text);
    Samples times;
    for (int run = 0; run <= runs; ++run) {
        const double elapsed = TimeCapture(hosted, text);
        if (elapsed < 0)
            return -1.0;
        // Run 0 warms up.
        if (run > 0)
            times.Add(elapsed);
    }
    return times.Median();
}

}  // namespace

void BenchCaptureSteps(int runs)
{
    const std::u16string sample = SampleHistory(1, 100).Text(0);
    const std::wstring text(sample.begin(), sample.end());
    const double full = CaptureMedian(SampleHistory(1000, 100 * 1024), text, runs);
    const double empty = CaptureMedian(SampleHistory(0, 0), text, runs);
    std::printf("NOTE\tCapture without the clipboard, in this process (TrimForInsert and InsertText of 100 B, the "
                "list following with its drawing held, first row focused): median %.3f ms with 1000 x 100 KB "
                "entries (at the cap: two changes), %.3f ms with an empty history (%d runs; -1: the list did not "
                "follow)\n",
                full, empty, runs);
    std::fflush(stdout);
}
