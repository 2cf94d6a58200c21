// Clipboard figures. Capture: another process (this one) puts a text, or a text
// with HTML and RTF, on the clipboard and times until the entry is in
// Quillary's list, against a bare viewer process that only reads the same
// formats, and with a full history of long texts against an empty one. Every
// receiver is asked the same way: a message sent from here, answered by its
// user-interface thread. Paste: see PasteFigure.cpp; summons: SummonFigure.cpp.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/ClipboardCopy.h"
#include "bench/CopyTimer.h"
#include "bench/FigureRow.h"
#include "bench/PasteFigure.h"
#include "bench/ProductProcess.h"
#include "bench/RawFile.h"
#include "bench/SampleHistory.h"
#include "bench/Samples.h"
#include "bench/Stopwatch.h"
#include "bench/SummonFigure.h"
#include "bench/ViewerProcess.h"
#include "history/store/formats/FileNames.h"
#include "resource.h"

namespace {

constexpr int kRounds = 10;  // 200 timed copies per size and side
constexpr int kSummonRounds = 5;  // each summons beside a render waits two seconds for it to end
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

// `bytes` of markup: the head, words, the tail and a NUL, as HTML and RTF come.
std::string SampleMarkup(const std::string& head, const std::string& tail, size_t bytes)
{
    const std::wstring words = SampleText(bytes - head.size() - tail.size() - 1);
    return head + std::string(words.begin(), words.end()) + tail + std::string(1, '\0');
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

void ReportLost(FigureRow& row, const char* workName, const CopyTimer& work, const char* baselineName,
                const CopyTimer& baseline)
{
    if (work.Lost() || baseline.Lost())
        row.SetFailure(std::string("copies not seen: ") + workName + " " + std::to_string(work.Lost()) + ", " +
                       baselineName + " " + std::to_string(baseline.Lost()));
}

bool RunQuillaryRound(const BenchFolder& folder, const CopyTimer& timer, const ClipboardCopy& copy, int clearEvery,
                      Samples& medians, Samples& all)
{
    ProductProcess product(folder.Path());
    if (!StartHidden(product, folder, SampleHistory(0, 0)))
        return false;
    const bool ok = timer.RunRound(copy, ItemCount(product), clearEvery, medians, all);
    ClearAll(product);
    return ok;
}

bool RunViewerRound(const CopyTimer& timer, const ClipboardCopy& copy, const std::vector<std::wstring>& formats,
                    Samples& medians, Samples& all)
{
    ViewerProcess viewer;
    const bool ok = viewer.Start(formats) && timer.RunRound(copy, viewer.Reads(), 0, medians, all);
    return viewer.Close() && ok;
}

// One capture figure against the bare viewer, which reads the copy's `formats` beside its text.
void BenchCapture(HWND owner, const BenchFolder& folder, const ClipboardCopy& copy,
                  const std::vector<std::wstring>& formats, const char* what, int clearEvery, double target)
{
    FigureRow row("Capture", std::string("copy to entry in the list, ") + what + ", popup hidden",
                  formats.empty() ? "bare clipboard viewer process reading the text"
                                  : "bare clipboard viewer process reading the same three formats",
                  FigureRow::Unit::Milliseconds, target);
    const CopyTimer quillaryTimer(owner), viewerTimer(owner);
    Samples quillaryAll, viewerAll;
    row.AddRoundsInTurn(
        kRounds,
        [&](Samples& medians) {
            return RunQuillaryRound(folder, quillaryTimer, copy, clearEvery, medians, quillaryAll);
        },
        [&](Samples& medians) { return RunViewerRound(viewerTimer, copy, formats, medians, viewerAll); });
    ReportLost(row, "Quillary", quillaryTimer, "viewer", viewerTimer);
    row.Print();
    std::printf("NOTE\tCapture, %s, popup hidden: median of all copies %.3f ms (Quillary, %zu copies) vs %.3f ms "
                "(viewer, %zu copies)\n",
                what, quillaryAll.Median(), quillaryAll.Count(), viewerAll.Median(), viewerAll.Count());
    std::fflush(stdout);
}

void BenchCaptureText(HWND owner, const BenchFolder& folder, size_t chars, const char* size, int clearEvery,
                      double target)
{
    BenchCapture(owner, folder, ClipboardCopy::OfText(SampleText(chars)), {}, (std::string("text of ") + size).c_str(),
                 clearEvery, target);
}

// A copy from a browser or a word processor: the text with its HTML and RTF.
void BenchCaptureFormats(HWND owner, const BenchFolder& folder)
{
    constexpr size_t kFormatBytes = 1 << 20;
    ClipboardCopy copy = ClipboardCopy::OfText(SampleText(1024));
    copy.Add(L"HTML Format", SampleMarkup("Version:0.9\r\n<html><body><!--StartFragment--><p>",
                                          "</p><!--EndFragment--></body></html>", kFormatBytes))
        .Add(L"Rich Text Format", SampleMarkup("{\\rtf1\\ansi ", "\\par}", kFormatBytes));
    BenchCapture(owner, folder, copy, {L"HTML Format", L"Rich Text Format"},
                 "text of 1 KB with 1 MB of HTML and 1 MB of RTF", 5, 1.3);
}

// One round of copies into Quillary over `history`, timed by the focused
// entry's row; also what each copy added to the journal.
bool RunHistoryRound(const BenchFolder& folder, const CopyTimer& timer, const ClipboardCopy& copy,
                     const SampleHistory& history, Samples& medians, Samples& all, Samples& journalBytesPerCopy)
{
    ProductProcess product(folder.Path());
    // One copy before the round, so that an empty history has a row to focus
    // and the journal holds its start: only the round's copies are counted.
    if (!StartHidden(product, folder, history))
        return false;
    const bool empty = history.Entries() == 0;
    if ((!empty && !FocusFirstRow(product)) ||
        timer.TimeOneCopy(copy, empty ? ItemCount(product) : FocusedRow(product)) < 0)
        return false;
    const std::wstring journal = SampleHistory::DataFolderOf(folder.Path()) + g_strJournalFileName;
    // The writer thread appends a moment after the change.
    Sleep(200);
    const LONGLONG before = std::max<LONGLONG>(RawFile::Size(journal), 0);
    // The focus goes back to the first row before each copy: a focused row
    // pushed below the visible ones makes the hidden list scroll after it,
    // which costs the same with any history.
    const bool ok =
        timer.RunRound(copy, FocusedRow(product), 0, medians, all, [&product] { return FocusFirstRow(product); });
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
    const ClipboardCopy copy = ClipboardCopy::OfText(SampleText(100));
    const CopyTimer workTimer(owner), baseTimer(owner);
    row.AddRoundsInTurn(
        kRounds,
        [&](Samples& medians) {
            return RunHistoryRound(folder, workTimer, copy, work, medians, workRounds.all, workRounds.journal);
        },
        [&](Samples& medians) {
            return RunHistoryRound(folder, baseTimer, copy, baseline, medians, baseRounds.all, baseRounds.journal);
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

// With names (text, formats, history, encrypted, paste, summon) only those figures run.
int wmain(int argc, wchar_t** argv)
{
    BenchFolder folder(L"capture");
    HWND owner = CreateOwnerWindow();
    if (!folder.Created() || !owner) {
        std::fprintf(stderr, "cannot prepare the capture benchmark\n");
        return 1;
    }
    const auto chosen = [argc, argv](const wchar_t* name) {
        return argc < 2 || std::find_if(argv + 1, argv + argc, [name](const wchar_t* argument) {
                               return std::wstring(argument) == name;
                           }) != argv + argc;
    };
    if (chosen(L"text")) {
        BenchCaptureText(owner, folder, 100, "100 B", 0, 1.5);
        BenchCaptureText(owner, folder, 1 << 20, "1 MB", 5, 1.2);
    }
    if (chosen(L"formats"))
        BenchCaptureFormats(owner, folder);
    if (chosen(L"history"))
        BenchCaptureWithHistory(owner, folder);
    if (chosen(L"encrypted"))
        BenchCaptureEncrypted(owner, folder);
    if (chosen(L"paste"))
        BenchPaste(owner, folder, kRounds);
    if (chosen(L"summon"))
        BenchSummon(folder, kSummonRounds);
    DestroyWindow(owner);
    return 0;
}
