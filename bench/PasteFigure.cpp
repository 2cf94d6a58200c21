#include "bench/PasteFigure.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/BenchViewer.h"
#include "bench/ClipboardCopy.h"
#include "bench/CopyTimer.h"
#include "bench/DesktopKeys.h"
#include "bench/FigureRow.h"
#include "bench/ProductProcess.h"
#include "bench/SampleHistory.h"
#include "bench/Stopwatch.h"
#include "bench/TargetWindow.h"
#include "bench/ViewerProcess.h"
#include "framework/Handles.h"

namespace {

using desktop::FocusOf;
using desktop::PressKeys;
using desktop::WaitFor;

constexpr size_t kHtmlBytes = 1 << 20;
constexpr double kLostAfterMs = 3000;
constexpr DWORD kStartTimeoutMs = 120000;
const std::vector<std::wstring> kViewerFormats = {L"HTML Format"};

// The viewer's count once it has stayed put for a moment: a notice of an
// earlier change must not pass for the one timed next.
bool SettledReads(const ViewerProcess& viewer, LRESULT& reads)
{
    LRESULT again = -1;
    reads = -2;
    while (again != reads) {
        reads = again;
        Sleep(30);
        if (!CopyTimer::Ask(viewer.Reads(), again))
            return false;
    }
    return true;
}

// Milliseconds on `watch` until the viewer has read a change more than `before`; -1 when it never did.
// The viewer sets `read` when it has: asking it over and over meanwhile would
// load the wineserver that the paste itself works through, and the bare put
// would not meet that load, as it is done before any question is asked.
double UntilRead(HANDLE read, const ViewerProcess& viewer, LRESULT before, const Stopwatch& watch)
{
    const bool signalled = WaitForSingleObject(read, static_cast<DWORD>(kLostAfterMs)) == WAIT_OBJECT_0;
    const double elapsed = watch.ElapsedMs();
    LRESULT now = before;
    return signalled && CopyTimer::Ask(viewer.Reads(), now) && now != before ? elapsed : -1;
}

// The viewer's count once it has settled, with `read` cleared of the reads before.
bool ReadyToTime(HANDLE read, const ViewerProcess& viewer, LRESULT& reads)
{
    return SettledReads(viewer, reads) && ResetEvent(read);
}

// The summon key over the target, then Home: the popup in front with its first
// row selected. Wine's desktop may hand the foreground on a moment after the
// popup hid, so that a summons finds no target: then the user presses again.
bool SummonWithFirstRow(const ProductProcess& product, const TargetWindow& target)
{
    const HWND popup = product.Popup(), list = product.List();
    bool summoned = false;
    for (int attempt = 0; attempt < 3 && !summoned; ++attempt) {
        summoned = target.Activate() && PressKeys({VK_CONTROL, VK_SHIFT, 'F'}) && WaitFor(3000, [&] {
                       return IsWindowVisible(popup) && GetForegroundWindow() == popup && FocusOf(popup) == list;
                   });
    }
    return summoned && PressKeys({VK_HOME}) && WaitFor(10000, [&] {
               return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0;
           }) && product.Sync();
}


// Milliseconds on `watch` until the target is the foreground window with the focus back; -1 when it never was.
double UntilTargetBack(const TargetWindow& target, const Stopwatch& watch)
{
    const HWND window = target.Handle();
    const bool back =
        WaitFor(kLostAfterMs, [&] { return GetForegroundWindow() == window && FocusOf(window) == window; });
    return back ? watch.ElapsedMs() : -1;
}

// What a paste costs in Quillary, and its floor: the same summons and the same wait, then Esc,
// which hides the popup and brings the target back with nothing pasted. Without the wait the
// floor would time the preview of the first row showing as well, which the paste does not.
struct QuillarySamples {
    Samples pasteMedians, pasteAll, floorMedians, floorAll;
    int lost = 0;
};

bool RunQuillaryRound(HANDLE read, const BenchFolder& folder, const SampleHistory& history,
                      QuillarySamples& samples)
{
    ProductProcess product(folder.Path());
    ViewerProcess viewer;
    TargetWindow target;
    if (!history.WriteDataFolder(SampleHistory::DataFolderOf(folder.Path())) || !product.Start() ||
        !product.WaitUntilReady(history.Entries(), kStartTimeoutMs) || !viewer.Start(kViewerFormats))
        return false;
    // Hidden first, as the user leaves it: each paste starts from the summon key over the target.
    PostMessageW(product.Popup(), WM_CLOSE, 0, 0);
    if (!product.Sync())
        return false;
    LRESULT before = 0;
    const bool pasted = CopyTimer::RunTimedRound(
        [&](int) {
            if (!SummonWithFirstRow(product, target) || !ReadyToTime(read, viewer, before))
                return -2.0;
            const Stopwatch watch;
            return PressKeys({VK_RETURN}) ? UntilRead(read, viewer, before, watch) : -2.0;
        },
        samples.pasteMedians, samples.pasteAll, samples.lost);
    const bool floored = pasted && CopyTimer::RunTimedRound(
        [&](int) {
            if (!SummonWithFirstRow(product, target) || !SettledReads(viewer, before))
                return -2.0;
            const Stopwatch watch;
            return PressKeys({VK_ESCAPE}) ? UntilTargetBack(target, watch) : -2.0;
        },
        samples.floorMedians, samples.floorAll, samples.lost);
    return viewer.Close() && floored;
}

bool RunBareRound(HANDLE read, HWND owner, const ClipboardCopy& copy, Samples& medians, Samples& all, int& lost)
{
    ViewerProcess viewer;
    if (!viewer.Start(kViewerFormats))
        return false;
    LRESULT before = 0;
    const bool ok = CopyTimer::RunTimedRound(
        [&](int) {
            if (!ReadyToTime(read, viewer, before))
                return -2.0;
            // The blocks are made inside the time: a paste makes them too.
            const Stopwatch watch;
            ClipboardCopy::Blocks blocks = copy.MakeBlocks();
            return ClipboardCopy::Place(owner, blocks, kLostAfterMs) ? UntilRead(read, viewer, before, watch)
                                                                     : -1.0;
        },
        medians, all, lost);
    return viewer.Close() && ok;
}

}  // namespace

void BenchPaste(HWND owner, const BenchFolder& folder, int rounds)
{
    const SampleHistory history(1, 1024, false, kHtmlBytes);
    const std::u16string text = history.Text(0);
    ClipboardCopy copy = ClipboardCopy::OfText(std::wstring(text.begin(), text.end()));
    // The bytes that the sample history keeps as the entry's HTML.
    copy.Add(L"HTML Format", std::string(kHtmlBytes, 'h'));
    const char* bare = "the same bytes put on the clipboard by a bare process, read by the same viewer";
    FigureRow floor("Paste (floor)", "Esc in the popup to the target in front with the focus, nothing pasted", bare,
                    FigureRow::Unit::Milliseconds, 0);
    FigureRow row("Paste", "Enter in the popup to the text and HTML read from the clipboard, entry of 1 KB with 1 MB "
                  "of HTML",
                  std::string(bare) + ", plus the floor", FigureRow::Unit::Milliseconds, 1.5);
    // Made before the viewers start, so that they find it.
    const UniqueKernelHandle read(CreateEventW(nullptr, FALSE, FALSE, kBenchViewerReadEvent));
    QuillarySamples quillary;
    Samples bareAll;
    int bareLost = 0;
    for (int round = 0; round < rounds; ++round) {
        QuillarySamples one;
        Samples bareMedians;
        if (!read || !RunQuillaryRound(read.Get(), folder, history, one) ||
            !RunBareRound(read.Get(), owner, copy, bareMedians, bareAll, bareLost)) {
            row.SetFailure("a round did not finish");
            floor.SetFailure("a round did not finish");
            continue;
        }
        row.AddRun(one.pasteMedians.Median(), bareMedians.Median() + one.floorMedians.Median());
        floor.AddRun(one.floorMedians.Median(), bareMedians.Median());
        for (double value : one.pasteAll.Values())
            quillary.pasteAll.Add(value);
        for (double value : one.floorAll.Values())
            quillary.floorAll.Add(value);
        quillary.lost += one.lost;
    }
    if (quillary.lost || bareLost)
        row.SetFailure("pastes not seen: Quillary " + std::to_string(quillary.lost) + ", bare " +
                       std::to_string(bareLost));
    floor.Print();
    row.Print();
    std::printf("NOTE\tPaste, 1 MB of HTML: median of all pastes %.3f ms (Quillary, %zu pastes) vs %.3f ms (bare "
                "process, %zu copies); both read back by a bare viewer process (text and HTML). Esc to the target "
                "back: median %.3f ms (%zu times)\n",
                quillary.pasteAll.Median(), quillary.pasteAll.Count(), bareAll.Median(), bareAll.Count(),
                quillary.floorAll.Median(), quillary.floorAll.Count());
    std::fflush(stdout);
}
