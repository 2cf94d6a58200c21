#include "bench/SummonFigure.h"

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/CopyTimer.h"
#include "bench/DesktopKeys.h"
#include "bench/FigureRow.h"
#include "bench/ProductProcess.h"
#include "bench/SampleHistory.h"
#include "bench/SlowCopier.h"
#include "bench/Stopwatch.h"
#include "bench/TargetWindow.h"

namespace {

using desktop::FocusOf;
using desktop::PressKeys;
using desktop::WaitFor;

constexpr DWORD kRenderMs = 2000;
constexpr int kWarmupSummons = 1;
constexpr int kSummonsPerRound = 6;
constexpr double kShownTimeoutMs = 10000;
constexpr DWORD kStartTimeoutMs = 120000;

// The process that has the clipboard open now; 0 when it is closed.
DWORD ClipboardOpener()
{
    DWORD process = 0;
    HWND opener = GetOpenClipboardWindow();
    return opener && GetWindowThreadProcessId(opener, &process) ? process : 0;
}

// One summons, from the key to the popup shown with its list focused: its
// milliseconds, -1 when it did not show (Wine's desktop may hand the
// foreground on a moment after the popup hid, and a summons then finds no
// target), -2 when the scene could not be set.
double TimeSummon(const ProductProcess& product, const TargetWindow& target, const SlowCopier* copier)
{
    const HWND popup = product.Popup(), list = product.List();
    const DWORD quillary = GetProcessId(product.Process());
    const Stopwatch sinceCopy;
    // Quillary has asked for the copy and waits for its render when the key is pressed.
    if (copier && (!copier->Copy() || !WaitFor(kShownTimeoutMs, [&] { return ClipboardOpener() == quillary; })))
        return -2;
    if (!target.Activate())
        return -2;
    const Stopwatch watch;
    if (!PressKeys({VK_CONTROL, VK_SHIFT, 'F'}))
        return -2;
    const bool shown = WaitFor(kShownTimeoutMs, [&] {
        return IsWindowVisible(popup) && GetForegroundWindow() == popup && FocusOf(popup) == list;
    });
    const double elapsed = watch.ElapsedMs();
    PostMessageW(popup, WM_CLOSE, 0, 0);
    // The next summons starts with the render over and the clipboard closed again.
    const bool settled =
        product.Sync() && (!copier || WaitFor(kShownTimeoutMs, [&] {
            return copier->RendersEnded() == copier->RendersBegun() && ClipboardOpener() != quillary;
        }));
    if (!settled)
        return -2;
    // Both sides pause as long as a render lasts between summons: Wine's
    // desktop settles its focus meanwhile, which makes the next summons quicker.
    if (sinceCopy.ElapsedMs() < kRenderMs)
        Sleep(static_cast<DWORD>(kRenderMs - sinceCopy.ElapsedMs()));
    return shown ? elapsed : -1;
}

bool RunRound(const BenchFolder& folder, bool slowCopy, Samples& medians, Samples& all, int& lost)
{
    const SampleHistory history(0, 0);
    ProductProcess product(folder.Path());
    if (!history.WriteDataFolder(SampleHistory::DataFolderOf(folder.Path())) || !product.Start() ||
        !product.WaitUntilReady(history.Entries(), kStartTimeoutMs))
        return false;
    PostMessageW(product.Popup(), WM_CLOSE, 0, 0);
    if (!product.Sync())
        return false;
    TargetWindow target;
    SlowCopier copier(kRenderMs);
    return CopyTimer::RunTimedRound(
        [&](int) { return TimeSummon(product, target, slowCopy ? &copier : nullptr); }, medians, all, lost,
        kWarmupSummons, kSummonsPerRound);
}

}  // namespace

void BenchSummon(const BenchFolder& folder, int rounds)
{
    FigureRow row("Summons",
                  "while another program takes 2 s to render its copy, from the key to the popup shown",
                  "a summons with the clipboard idle", FigureRow::Unit::Milliseconds, 1.5);
    Samples slowAll, idleAll;
    int slowLost = 0, idleLost = 0;
    row.AddRoundsInTurn(
        rounds, [&](Samples& medians) { return RunRound(folder, true, medians, slowAll, slowLost); },
        [&](Samples& medians) { return RunRound(folder, false, medians, idleAll, idleLost); });
    row.Print();
    std::printf("NOTE\tSummons: median of all %.3f ms while a render takes 2 s (%zu summons, %d not shown at the "
                "first press) vs %.3f ms with the clipboard idle (%zu summons, %d not shown)\n",
                slowAll.Median(), slowAll.Count(), slowLost, idleAll.Median(), idleAll.Count(), idleLost);
    std::fflush(stdout);
}
