// Capture figures: another process (this one) puts a text on the clipboard and
// times until the entry is in Quillary's list, against a bare viewer process
// that only reads the text, and with a full history of long texts against an
// empty one. Every receiver is asked the same way: a message sent from here,
// answered by its user-interface thread.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/BenchFolder.h"
#include "bench/BenchViewer.h"
#include "bench/CopyTimer.h"
#include "bench/FigureRow.h"
#include "bench/ProductProcess.h"
#include "bench/RawFile.h"
#include "bench/SampleHistory.h"
#include "bench/Samples.h"
#include "bench/Stopwatch.h"
#include "framework/Handles.h"
#include "history/store/FileNames.h"
#include "resource.h"

namespace {

constexpr int kRounds = 10;  // 200 timed copies per size and side
constexpr DWORD kStartTimeoutMs = 120000;

HWND CreateOwnerWindow()
{
    return CreateWindowExW(0, L"STATIC", L"Quillary bench clipboard owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

std::wstring SampleText(size_t chars)
{
    const std::u16string text = SampleHistory(1, chars).Text(0);
    return std::wstring(text.begin(), text.end());
}

// Quillary over `history`, its popup closed (which only hides it): the state in
// which the user copies elsewhere.
bool StartHidden(ProductProcess& product, const BenchFolder& folder, const SampleHistory& history)
{
    if (!history.WriteDataFolder(SampleHistory::DataFolderOf(folder.Path())) || !product.Start() ||
        !product.WaitUntilReady(history.Entries(), kStartTimeoutMs))
        return false;
    PostMessageW(product.Popup(), WM_CLOSE, 0, 0);
    return product.Sync();
}

void ClearAll(const ProductProcess& product)
{
    product.PostCommand(ID_MENU_CLEAR_ALL);
    product.Sync();
}

Receiver ItemCount(const ProductProcess& product)
{
    return {product.List(), LVM_GETITEMCOUNT, 0, 0, &product};
}

// The focused entry's row, which every capture pushes one down: in a full
// history the count stays at the cap.
Receiver FocusedRow(const ProductProcess& product)
{
    return {product.List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED, &product};
}

// Focuses the first row (Home, as the user would press it), which also
// scrolls the list back to its top.
bool FocusFirstRow(const ProductProcess& product)
{
    PostMessageW(product.List(), WM_KEYDOWN, VK_HOME, 0);
    const Stopwatch wait;
    LRESULT row = -1;
    while (wait.ElapsedMs() < 10000) {
        if (CopyTimer::Ask(FocusedRow(product), row) && row == 0)
            return true;
        Sleep(1);
    }
    return false;
}

// Rounds of the work and of its baseline in turn; each round adds the ratio of their medians.
void RunRoundsInTurn(FigureRow& row, const std::function<bool(Samples&)>& work,
                     const std::function<bool(Samples&)>& baseline)
{
    for (int round = 0; round < kRounds; ++round) {
        Samples workMedians, baselineMedians;
        if (!work(workMedians) || !baseline(baselineMedians)) {
            row.SetFailure("a round did not finish");
            continue;
        }
        row.AddRun(workMedians.Median(), baselineMedians.Median());
    }
}

void ReportLost(FigureRow& row, const char* workName, const CopyTimer& work, const char* baselineName,
                const CopyTimer& baseline)
{
    if (work.Lost() || baseline.Lost())
        row.SetFailure(std::string("copies not seen: ") + workName + " " + std::to_string(work.Lost()) + ", " +
                       baselineName + " " + std::to_string(baseline.Lost()));
}

bool RunQuillaryRound(const BenchFolder& folder, const CopyTimer& timer, const std::wstring& text, int clearEvery,
                      Samples& medians, Samples& all)
{
    ProductProcess product(folder.Path());
    if (!StartHidden(product, folder, SampleHistory(0, 0)))
        return false;
    const bool ok = timer.RunRound(text, ItemCount(product), clearEvery, medians, all);
    ClearAll(product);
    return ok;
}

std::wstring ViewerPath()
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"bench_viewer.exe";
}

bool RunViewerRound(const CopyTimer& timer, const std::wstring& text, Samples& medians, Samples& all)
{
    std::wstring commandLine = L"\"" + ViewerPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    UniqueFileHandle process(started.hProcess);
    Receiver receiver = {nullptr, kQueryReads, 0, 0, nullptr};
    const Stopwatch wait;
    while (!receiver.window && wait.ElapsedMs() < 30000 && WaitForSingleObject(process.Get(), 1) == WAIT_TIMEOUT) {
        HWND found = FindWindowW(kBenchViewerClass, nullptr);
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (found && owner == started.dwProcessId)
            receiver.window = found;
    }
    LRESULT ignored = 0;
    bool ok = receiver.window && CopyTimer::Ask(receiver, ignored) && timer.RunRound(text, receiver, 0, medians, all);
    if (receiver.window)
        PostMessageW(receiver.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        ok = false;
    }
    return ok;
}

void BenchCapture(HWND owner, const BenchFolder& folder, size_t chars, const char* size, int clearEvery,
                  double target)
{
    const std::wstring text = SampleText(chars);
    FigureRow row("Capture", std::string("copy to entry in the list, text of ") + size + ", popup hidden",
                  "bare clipboard viewer process reading the text", FigureRow::Unit::Milliseconds, target);
    const CopyTimer quillaryTimer(owner), viewerTimer(owner);
    Samples quillaryAll, viewerAll;
    RunRoundsInTurn(
        row,
        [&](Samples& medians) {
            return RunQuillaryRound(folder, quillaryTimer, text, clearEvery, medians, quillaryAll);
        },
        [&](Samples& medians) { return RunViewerRound(viewerTimer, text, medians, viewerAll); });
    ReportLost(row, "Quillary", quillaryTimer, "viewer", viewerTimer);
    row.Print();
    std::printf("NOTE\tCapture, %s, popup hidden: median of all copies %.3f ms (Quillary, %zu copies) vs %.3f ms "
                "(viewer, %zu copies)\n",
                size, quillaryAll.Median(), quillaryAll.Count(), viewerAll.Median(), viewerAll.Count());
    std::fflush(stdout);
}

// One round of copies into Quillary over `history`, timed by the focused
// entry's row; also what each copy added to the journal.
bool RunHistoryRound(const BenchFolder& folder, const CopyTimer& timer, const std::wstring& text,
                     const SampleHistory& history, Samples& medians, Samples& all, Samples& journalBytesPerCopy)
{
    ProductProcess product(folder.Path());
    // One copy before the round, so that an empty history has a row to focus
    // and the journal holds its start: only the round's copies are counted.
    if (!StartHidden(product, folder, history))
        return false;
    const bool empty = history.Entries() == 0;
    if ((!empty && !FocusFirstRow(product)) ||
        timer.TimeOneCopy(text, empty ? ItemCount(product) : FocusedRow(product)) < 0)
        return false;
    const std::wstring journal = SampleHistory::DataFolderOf(folder.Path()) + g_strJournalFileName;
    // The writer thread appends a moment after the change.
    Sleep(200);
    const LONGLONG before = std::max<LONGLONG>(RawFile::Size(journal), 0);
    // The focus goes back to the first row before each copy: a focused row
    // pushed below the visible ones makes the hidden list scroll after it,
    // which costs the same with any history.
    const bool ok =
        timer.RunRound(text, FocusedRow(product), 0, medians, all, [&product] { return FocusFirstRow(product); });
    Sleep(200);
    const LONGLONG after = RawFile::Size(journal);
    if (ok && after > before)
        journalBytesPerCopy.Add(static_cast<double>(after - before) /
                                (CopyTimer::kWarmupCopies + CopyTimer::kCopiesPerRound));
    ClearAll(product);
    return ok;
}

// The same 100 B copy into Quillary over two histories, in turn; each copy's all and journal figures.
struct HistoryRounds {
    Samples all, journal;
};

void CompareHistories(HWND owner, const BenchFolder& folder, FigureRow& row, const SampleHistory& work,
                      const SampleHistory& baseline, HistoryRounds& workRounds, HistoryRounds& baseRounds,
                      const char* workName, const char* baselineName)
{
    const std::wstring text = SampleText(100);
    const CopyTimer workTimer(owner), baseTimer(owner);
    RunRoundsInTurn(
        row,
        [&](Samples& medians) {
            return RunHistoryRound(folder, workTimer, text, work, medians, workRounds.all, workRounds.journal);
        },
        [&](Samples& medians) {
            return RunHistoryRound(folder, baseTimer, text, baseline, medians, baseRounds.all, baseRounds.journal);
        });
    ReportLost(row, workName, workTimer, baselineName, baseTimer);
    row.Print();
}

void BenchCaptureEncrypted(HWND owner, const BenchFolder& folder)
{
    FigureRow row("Capture", "copy to entry in the list, text of 100 B, 100 x 1 KB history encrypted, popup hidden",
                  "the same copy with the history plain", FigureRow::Unit::Milliseconds, 1.15);
    HistoryRounds sealed, plain;
    CompareHistories(owner, folder, row, SampleHistory(100, 1024, true), SampleHistory(100, 1024), sealed, plain,
                     "encrypted", "plain");
    std::fflush(stdout);
}

void BenchCaptureWithHistory(HWND owner, const BenchFolder& folder)
{
    FigureRow row("Capture", "copy to entry in the list, text of 100 B, 1000 x 100 KB history, popup hidden",
                  "the same copy with an empty history", FigureRow::Unit::Milliseconds, 1.2);
    HistoryRounds full, empty;
    CompareHistories(owner, folder, row, SampleHistory(1000, 100 * 1024), SampleHistory(0, 0), full, empty, "full",
                     "empty");
    std::printf("NOTE\tCapture, 100 B, popup hidden, timed by the focused entry's row: median of all copies %.3f ms "
                "(1000 x 100 KB history, %zu copies) vs %.3f ms (empty history, %zu copies)\n",
                full.all.Median(), full.all.Count(), empty.all.Median(), empty.all.Count());
    std::printf("NOTE\tJournal: each 100 B capture added %.0f bytes to data.journal with an empty history, %.0f with "
                "a full one (the oldest entry's removal too)\n",
                empty.journal.Median(), full.journal.Median());
    std::fflush(stdout);
}

}  // namespace

int wmain()
{
    BenchFolder folder(L"capture");
    HWND owner = CreateOwnerWindow();
    if (!folder.Created() || !owner) {
        std::fprintf(stderr, "cannot prepare the capture benchmark\n");
        return 1;
    }
    BenchCapture(owner, folder, 100, "100 B", 0, 1.5);
    BenchCapture(owner, folder, 1 << 20, "1 MB", 5, 1.2);
    BenchCaptureWithHistory(owner, folder);
    BenchCaptureEncrypted(owner, folder);
    DestroyWindow(owner);
    return 0;
}
