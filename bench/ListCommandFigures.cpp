// The list commands on 1000 selected entries, as the popup runs them: on the
// model, followed by its owner-data list view.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "bench/FigureRow.h"
#include "bench/HostedHistory.h"
#include "bench/InProcessFigures.h"
#include "bench/ListHost.h"

namespace {

// The baseline of the list figures: the same rows' labels (image 0) appended
// to a bare list view that draws; -1 when the list did not take them all.
double TimeBareInserts(const std::vector<std::wstring>& labels)
{
    ListHost host(ListHost::Kind::Items);
    if (!host.Created())
        return -1.0;
    Stopwatch watch;
    for (size_t i = 0; i < labels.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(labels[i].c_str());
        SendMessageW(host.List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    const double elapsed = watch.ElapsedMs();
    const bool filled = ListView_GetItemCount(host.List()) == static_cast<int>(labels.size());
    ListHost::Pump();
    return filled ? elapsed : -1.0;
}

// The popup's commands, each as its handler runs it.
void SetSelectedToTop(HostedHistory& hosted)
{
    HistoryListView::RedrawHold hold(hosted.View());
    hosted.Model().SetTop(hosted.View().SelectedIds());
}

void DeleteSelected(HostedHistory& hosted)
{
    HistoryListView::RedrawHold hold(hosted.View());
    hosted.Model().Remove(hosted.View().SelectedIds());
}

void ClearAll(HostedHistory& hosted)
{
    hosted.Model().Clear();
}

struct ListCommand {
    const char* name;
    void (*run)(HostedHistory&);
    // The history after the command: entries left and the top zone's size.
    int countAfter;
    int topAfter;
};

}  // namespace

void BenchListCommands(const SampleHistory& sample, int runs)
{
    const int entries = sample.Entries();
    std::vector<std::wstring> labels;
    for (int i = 0; i < entries; ++i) {
        HistoryEntry entry;
        const std::u16string text = sample.Text(i);
        entry.text = std::make_shared<const std::wstring>(text.begin(), text.end());
        labels.emplace_back(entry.Label());
    }
    const ListCommand commands[] = {
        {"Set top", SetSelectedToTop, entries, entries},
        {"Delete", DeleteSelected, 0, 0},
        {"Clear All", ClearAll, 0, 0},
    };
    std::vector<FigureRow> rows;
    for (const ListCommand& command : commands)
        rows.emplace_back("List operations", std::string(command.name) + " on 1000 selected entries (1 KB texts)",
                          "inserting 1000 items into a bare list view", FigureRow::Unit::Milliseconds, 2.0);

    const Stopwatch figure;
    for (int run = 0; run <= runs && !OverBudget(figure, run - 1); ++run) {
        const double baseline = TimeBareInserts(labels);
        HostedHistory hosted;
        for (size_t c = 0; c < rows.size(); ++c) {
            // The filling is not timed.
            hosted.Fill(sample);
            hosted.SelectAll();
            ListHost::Pump();
            const bool allSelected = hosted.View().SelectedIds().size() == static_cast<size_t>(entries);
            Stopwatch watch;
            commands[c].run(hosted);
            const double elapsed = watch.ElapsedMs();
            const bool right = allSelected && hosted.Model().Count() == commands[c].countAfter &&
                               hosted.Model().TopCount() == commands[c].topAfter &&
                               hosted.ListCount() == commands[c].countAfter;
            hosted.Model().Clear();
            ListHost::Pump();
            if (!right)
                rows[c].SetFailure("the history or the list was wrong afterwards");
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
