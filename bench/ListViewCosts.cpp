// What single list-view calls cost under this system on a 1000-row owner-data
// list like the popup's: the measured causes behind the list figures, printed
// as notes.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "bench/HostedHistory.h"
#include "bench/InProcessFigures.h"
#include "bench/Samples.h"

namespace {

constexpr int kMessages = 1000;

double TimeCountQueries(HWND list)
{
    Stopwatch watch;
    for (int i = 0; i < kMessages; ++i)
        SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    return watch.ElapsedMs();
}

// The framework binds a control by replacing its window procedure: every
// message passes through the framework before the control's own procedure.
double TimeBoundCountQueries(HWND list)
{
    CWnd* bound = CWnd::FromHandlePermanent(list);
    if (!bound)
        return -1.0;
    Stopwatch watch;
    for (int i = 0; i < kMessages; ++i)
        bound->SendMessage(LVM_GETITEMCOUNT);
    return watch.ElapsedMs();
}

template <typename Step>
double Time(Step step)
{
    Stopwatch watch;
    step();
    return watch.ElapsedMs();
}

void Note(const char* what, const Samples& samples)
{
    std::printf("NOTE\tList view, 1000 rows, owner data: %s: median %.3f ms (%zu runs)\n", what, samples.Median(),
                samples.Count());
}

}  // namespace

void BenchListViewCosts(int runs)
{
    HostedHistory hosted;
    ListHost bare(ListHost::Kind::OwnerData);
    if (!hosted.Created() || !bare.Created())
        return;
    hosted.Fill(SampleHistory(1000, 1024));
    SendMessageW(bare.List(), LVM_SETITEMCOUNT, 1000, LVSICF_NOSCROLL);
    ListHost::Pump();
    const HWND list = hosted.List();
    Samples unbound, bound, clearStates, focusOutOfView, resumeDrawing;
    for (int run = 0; run <= runs; ++run) {
        const double plain = TimeCountQueries(bare.List());
        const double framework = TimeBoundCountQueries(list);
        hosted.View().HoldDrawing();
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        const double clear = Time([list] { ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED); });
        // The rows shown are the first few dozen: row 100 + run lies below them.
        const double focus = Time([list, run] { ListView_SetItemState(list, 100 + run, LVIS_FOCUSED, LVIS_FOCUSED); });
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, 0, FALSE);
        const double resume = Time([&hosted] { hosted.View().ResumeDrawing(); });
        ListHost::Pump();
        if (run == 0 || framework < 0)
            continue;
        unbound.Add(plain);
        bound.Add(framework);
        clearStates.Add(clear);
        focusOutOfView.Add(focus);
        resumeDrawing.Add(resume);
    }
    Note("1000 LVM_GETITEMCOUNT sent to a control that nothing binds", unbound);
    Note("the same to the popup's kind of list, bound by the framework (window procedure replaced)", bound);
    Note("LVM_SETITEMSTATE on every row (-1) to clear selection and focus, drawing held", clearStates);
    Note("the focus set on a row below the visible ones, drawing held (the list scrolls to it)", focusOutOfView);
    Note("the drawing resumed (WM_SETREDRAW TRUE: scroll bars brought up to date) and the list invalidated",
         resumeDrawing);
    std::fflush(stdout);
}
