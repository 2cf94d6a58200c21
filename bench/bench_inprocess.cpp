// In-process figures: LoadHistory and the list commands, timed around the
// product's own classes on a shown list view like the popup's.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/FigureRow.h"
#include "bench/ListHost.h"
#include "bench/RawFile.h"
#include "bench/SampleHistory.h"
#include "bench/Stopwatch.h"
#include "framework/Handles.h"
#include "history/ClipOptions.h"
#include "history/FileNames.h"
#include "history/HistoryList.h"
#include "history/HistoryStore.h"

namespace {

// Slow machines or a slow product stop after this long, once three runs are in.
constexpr double kBudgetMs = 120000;
constexpr int kMinimumRuns = 3;

bool OverBudget(const Stopwatch& figure, int runsDone)
{
    return runsDone >= kMinimumRuns && figure.ElapsedMs() > kBudgetMs;
}

// One ReadFile of the whole file into a buffer that is already in memory.
double TimeWholeRead(const std::wstring& path, std::vector<char>& buffer)
{
    Stopwatch watch;
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
        got != buffer.size())
        return -1.0;
    file.Reset();
    return watch.ElapsedMs();
}

// LoadHistory into a fresh list, as start-up does; -1 when the list did not fill.
double TimeLoad(const std::wstring& dataFolder, int entries)
{
    ListHost host;
    if (!host.Created())
        return -1.0;
    ClipOptions options;
    options.m_nEntryCount = entries;
    const CString dataDir(dataFolder.c_str());
    HistoryList history(host.Control(), options.m_nTopCount);
    HistoryStore store(history, options, dataDir);
    const std::wstring path = dataFolder + g_strHistoryFileName;
    Stopwatch watch;
    store.LoadHistory(path.c_str());
    const double elapsed = watch.ElapsedMs();
    const bool filled = history.Count() == entries;
    history.ClearHistory();
    ListHost::Pump();
    return filled ? elapsed : -1.0;
}

// The least any loader of this product must do for 1000 short entries: put
// Labelled items (image 0) appended to a bare list view, optionally with its
// drawing held; -1 when the list did not take them all.
double TimeBareInserts(const std::vector<CString>& labels, bool holdDrawing)
{
    ListHost host;
    if (!host.Created())
        return -1.0;
    Stopwatch watch;
    if (holdDrawing)
        SendMessageW(host.List(), WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < labels.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(labels[i].GetString());
        SendMessageW(host.List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (holdDrawing)
        SendMessageW(host.List(), WM_SETREDRAW, TRUE, 0);
    const double elapsed = watch.ElapsedMs();
    const bool filled = ListView_GetItemCount(host.List()) == static_cast<int>(labels.size());
    ListHost::Pump();
    return filled ? elapsed : -1.0;
}

// The least any loader must do for long entries, which are kept in UTF-16: read
// the file and widen every text into a block of its own.
double TimeReadAndWiden(const std::wstring& path, const SampleHistory& sample, std::vector<char>& buffer)
{
    Stopwatch watch;
    if (TimeWholeRead(path, buffer) < 0)
        return -1.0;
    std::vector<wchar_t*> blocks;
    blocks.reserve(static_cast<size_t>(sample.Entries()));
    const char* record = buffer.data();
    for (int i = 0; i < sample.Entries(); ++i) {
        // Skip the kind and the length prefix (ASCII texts: 4 + 1, 3 or 7 bytes).
        const size_t chars = sample.TextChars();
        record += 4 + (chars < 255 ? 1 : chars < 65534 ? 3 : 7);
        auto* block = new wchar_t[chars + 1];
        for (size_t c = 0; c < chars; ++c)
            block[c] = static_cast<unsigned char>(record[c]);
        block[chars] = L'\0';
        blocks.push_back(block);
        record += chars;
    }
    const double elapsed = watch.ElapsedMs();
    for (wchar_t* block : blocks)
        delete[] block;
    return elapsed;
}

void BenchLoadFloor(const SampleHistory& sample, const char* work, int runs)
{
    FigureRow row("Load (floor)", work, "one ReadFile of the same bytes", FigureRow::Unit::Milliseconds, 0);
    BenchFolder folder(L"floor");
    const std::wstring dataFolder = SampleHistory::DataFolderOf(folder.Path());
    if (!folder.Created() || !sample.WriteDataFolder(dataFolder)) {
        row.SetFailure("cannot write the history files");
        row.Print();
        return;
    }
    const std::wstring path = dataFolder + g_strHistoryFileName;
    std::vector<char> buffer(static_cast<size_t>(RawFile::Size(path)), 1);
    std::vector<CString> labels;
    const bool shortTexts = sample.TextChars() <= HistoryList::kLabelLength * 4;
    if (shortTexts) {
        for (int i = 0; i < sample.Entries(); ++i) {
            const std::u16string text = sample.Text(i);
            labels.push_back(HistoryList::MakeLabel(reinterpret_cast<const wchar_t*>(text.c_str())));
        }
    }
    TimeWholeRead(path, buffer);
    for (int run = 0; run <= runs; ++run) {
        const double baseline = TimeWholeRead(path, buffer);
        const double floor = shortTexts ? TimeBareInserts(labels, true) : TimeReadAndWiden(path, sample, buffer);
        if (run > 0 && baseline > 0 && floor > 0)
            row.AddRun(floor, baseline);
    }
    row.Print();
}

void BenchLoad(const SampleHistory& sample, const char* work, int runs)
{
    FigureRow row("Load", work, "one ReadFile of the same bytes", FigureRow::Unit::Milliseconds, 3.0);
    BenchFolder folder(L"load");
    const std::wstring dataFolder = SampleHistory::DataFolderOf(folder.Path());
    if (!folder.Created() || !sample.WriteDataFolder(dataFolder)) {
        row.SetFailure("cannot write the history files");
        row.Print();
        return;
    }
    const std::wstring path = dataFolder + g_strHistoryFileName;
    std::vector<char> buffer(static_cast<size_t>(RawFile::Size(path)), 1);
    // A first round of each warms the file cache and the heap.
    TimeWholeRead(path, buffer);
    TimeLoad(dataFolder, sample.Entries());
    const Stopwatch figure;
    for (int run = 0; run < runs && !OverBudget(figure, run); ++run) {
        const double baseline = TimeWholeRead(path, buffer);
        const double load = TimeLoad(dataFolder, sample.Entries());
        if (baseline < 0 || load < 0) {
            row.SetFailure("a run failed");
            continue;
        }
        row.AddRun(load, baseline);
    }
    row.Print();
}

struct ListCommand {
    const char* name;
    void (HistoryList::*run)();
    // The list after the command: entries left and the top zone's size.
    int countAfter;
    int topAfter;
};

void BenchListCommands(const SampleHistory& sample, int runs)
{
    const int entries = sample.Entries();
    std::vector<std::u16string> texts;
    std::vector<CString> labels;
    for (int i = 0; i < entries; ++i) {
        texts.push_back(sample.Text(i));
        labels.push_back(HistoryList::MakeLabel(reinterpret_cast<const wchar_t*>(texts.back().c_str())));
    }
    const ListCommand commands[] = {
        {"Set top", &HistoryList::SetSelectedToTop, entries, entries},
        {"Delete", &HistoryList::DeleteSelectedEntries, 0, 0},
        {"Clear All", &HistoryList::ClearHistory, 0, 0},
    };
    std::vector<FigureRow> rows;
    for (const ListCommand& command : commands)
        rows.emplace_back("List operations",
                          std::string(command.name) + " on 1000 selected entries (1 KB texts)",
                          "inserting 1000 items into a bare list view", FigureRow::Unit::Milliseconds, 2.0);

    const Stopwatch figure;
    for (int run = 0; run <= runs && !OverBudget(figure, run - 1); ++run) {
        // The baseline of the list figures: the same items into a bare list view that draws.
        const double baseline = TimeBareInserts(labels, false);
        ListHost host;
        int topCount = 0;
        HistoryList history(host.Control(), topCount);
        for (size_t c = 0; c < rows.size(); ++c) {
            // The filling is not timed: with drawing held it is quick.
            SendMessageW(host.List(), WM_SETREDRAW, FALSE, 0);
            for (int i = 0; i < entries; ++i)
                history.InsertEntry(i, labels[i], HistoryList::kImageText,
                                    reinterpret_cast<LPARAM>(HistoryList::NewTextBlock(
                                        reinterpret_cast<const wchar_t*>(texts[i].c_str()), texts[i].size())));
            host.SelectAll();
            SendMessageW(host.List(), WM_SETREDRAW, TRUE, 0);
            ListHost::Pump();
            Stopwatch watch;
            (history.*commands[c].run)();
            const double elapsed = watch.ElapsedMs();
            const bool right = history.Count() == commands[c].countAfter && topCount == commands[c].topAfter;
            history.ClearHistory();
            ListHost::Pump();
            if (!right)
                rows[c].SetFailure("the list was wrong afterwards");
            else if (baseline < 0)
                rows[c].SetFailure("the baseline failed");
            // Run 0 warms up.
            else if (run > 0)
                rows[c].AddRun(elapsed, baseline);
        }
    }
    for (const FigureRow& row : rows)
        row.Print();
}

LRESULT CALLBACK PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    return DefSubclassProc(window, message, wParam, lParam);
}

double TimeCountQueries(HWND list, int messages)
{
    Stopwatch watch;
    for (int i = 0; i < messages; ++i)
        SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    return watch.ElapsedMs();
}

// What every message to a control bound through SetWindowSubclass costs before
// any of the product's code runs: the system's subclass dispatch alone. Loading,
// saving and capturing send the list (and its parent) one or more such
// messages per entry.
void BenchSubclassFloor(int runs)
{
    constexpr int kMessages = 1000;
    FigureRow row("Bound control (floor)",
                  "1000 messages to a list view subclassed by a procedure that only passes them on",
                  "the same 1000 messages to the list unsubclassed", FigureRow::Unit::Milliseconds, 0);
    ListHost host;
    if (!host.Created()) {
        row.SetFailure("no list view");
        row.Print();
        return;
    }
    for (int run = 0; run <= runs; ++run) {
        const double bare = TimeCountQueries(host.List(), kMessages);
        if (!SetWindowSubclass(host.List(), PassOn, 1, 0)) {
            row.SetFailure("SetWindowSubclass failed");
            break;
        }
        const double subclassed = TimeCountQueries(host.List(), kMessages);
        RemoveWindowSubclass(host.List(), PassOn, 1);
        if (run > 0)
            row.AddRun(subclassed, bare);
    }
    row.Print();
}

}  // namespace

int wmain()
{
    BenchLoad(SampleHistory(1000, 1024), "LoadHistory, 1000 x 1 KB", 11);
    BenchLoad(SampleHistory(1000, 100 * 1024), "LoadHistory, 1000 x 100 KB", 7);
    BenchLoadFloor(SampleHistory(1000, 1024), "1000 x 1 KB: 1000 items into a bare list view, drawing held", 11);
    BenchLoadFloor(SampleHistory(1000, 100 * 1024), "1000 x 100 KB: ReadFile, then widen each text into its own block", 7);
    BenchSubclassFloor(11);
    BenchListCommands(SampleHistory(1000, 1024), 15);
    return 0;
}
