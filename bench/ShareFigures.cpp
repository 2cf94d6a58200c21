// What sharing through a folder costs: a capture with sharing on against one
// with it off, and taking in 10,000 entries from another PC's segments (read,
// checked, merged, the list updated) against reading the same bytes from disk.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchFolder.h"
#include "bench/FigureRow.h"
#include "bench/HostedHistory.h"
#include "bench/InProcessFigures.h"
#include "bench/KeptHistory.h"
#include "bench/Samples.h"
#include "framework/Handles.h"
#include "history/share/HistorySharing.h"
#include "history/share/ShareNames.h"
#include "history/store/disk/FileSteps.h"

namespace {

constexpr int kCaptures = 1000;
constexpr size_t kTextChars = 100;
constexpr int kMergedEntries = 10000;
const wchar_t kPassphrase[] = L"benchmark passphrase";

std::wstring TextOf(int n, size_t chars)
{
    std::wstring text = L"entry " + std::to_wstring(n) + L" ";
    while (text.size() < chars)
        text += L"lorem ipsum dolor sit amet ";
    text.resize(chars);
    return text;
}

double TimeInserts(HistoryModel& model, int first)
{
    Stopwatch watch;
    for (int i = 0; i < kCaptures; ++i) {
        model.TrimForInsert();
        model.InsertText(TextOf(first + i, kTextChars));
    }
    return watch.ElapsedMs();
}

void ShareOptions(ClipOptions& options, const std::wstring& share)
{
    options.m_bShare = 1;
    options.m_strShareFolder = share.c_str();
}

// A PC's data folder with its key for the share; false when the key could not be made.
bool Join(const std::wstring& data, const std::wstring& share)
{
    HistoryModel model;
    ClipOptions options;
    HistorySharing sharing(model, options);
    sharing.SetDataFolder(data);
    std::wstring fingerprint;
    return sharing.Prepare(share, kPassphrase, fingerprint) == HistorySharing::Setup::Ready;
}

void BenchCaptureShared(BenchFolder& root, int runs)
{
    FigureRow row("Sharing: capture", "1000 captures' inserts (100 B texts) with sharing on, into the journal",
                  "the same with sharing off", FigureRow::Unit::Milliseconds, 1.15);
    const std::wstring share = root.Child(L"share");
    const std::wstring key = root.Child(L"capture-key") + L"\\";
    CreateDirectoryW(share.c_str(), nullptr);
    CreateDirectoryW(key.c_str(), nullptr);
    if (!Join(key, share)) {
        row.SetFailure("no key for the shared folder");
        row.Print();
        return;
    }
    Samples written;
    for (int run = 0; run <= runs; ++run) {
        BenchFolder plainFolder(L"capture-off");
        BenchFolder sharedFolder(L"capture-on");
        KeptHistory plain(plainFolder.Path() + L"\\");
        KeptHistory kept(sharedFolder.Path() + L"\\");
        ShareOptions(kept.options, share);
        DeleteFileW((key + L"share.state").c_str());
        HistorySharing sharing(kept.model, kept.options);
        sharing.SetDataFolder(key);
        sharing.Start();
        sharing.Tick(false);
        // In turn, so that neither side always runs first.
        double off = 0;
        if (run % 2)
            off = TimeInserts(plain.model, 0);
        const double on = TimeInserts(kept.model, run * kCaptures);
        if (run % 2 == 0)
            off = TimeInserts(plain.model, 0);
        plain.durable.SaveAtExit();
        Stopwatch out;
        sharing.Tick(false);
        written.Add(out.ElapsedMs());
        kept.durable.SaveAtExit();
        // The next run starts as a PC that has sent nothing yet, as the run without sharing does.
        BenchFolder::RemoveTree(sharenames::Root(share) + sharing.Pc().Hex());
        if (kept.model.Count() != kCaptures || !sharing.Running()) {
            row.SetFailure("sharing did not take every capture");
            continue;
        }
        if (run > 0)
            row.AddRun(on, off);
    }
    row.Print();
    std::printf("NOTE\tSharing: the timer's next tick sealed and wrote the 1000 captures to this PC's segment in "
                "%.1f ms (median), off the capture's path\n",
                written.Median());
    std::fflush(stdout);
}

// Reads every file of a folder tree whole, as the baseline reads the segments' bytes.
std::uint64_t ReadTree(const std::wstring& folder)
{
    std::uint64_t total = 0;
    std::vector<disk::Found> found;
    if (disk::SystemFiles().List(folder, found) != ERROR_SUCCESS)
        return 0;
    for (const disk::Found& item : found) {
        if (item.folder) {
            total += ReadTree(folder + item.name + L"\\");
            continue;
        }
        std::vector<BYTE> bytes;
        if (disk::ReadWhole(disk::SystemFiles(), folder + item.name, bytes) == ERROR_SUCCESS)
            total += bytes.size();
    }
    return total;
}

// A reader whose folder's work runs on its own thread, as in the program: the
// time until the report is there, and the popup's part (taking it in).
struct ThreadedReader {
    ThreadedReader(HistoryModel& model, const ClipOptions& options, const std::wstring& data)
        : sharing(model, options)
    {
        sharing.SetDataFolder(data);
        sharing.RunOnThread([this] { SetEvent(reported.Get()); });
    }
    bool WaitReport() { return WaitForSingleObject(reported.Get(), 30000) == WAIT_OBJECT_0; }

    UniqueFileHandle reported{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    HistorySharing sharing;
};

void BenchMerge(BenchFolder& root, int runs)
{
    FigureRow row("Sharing: merge", "10,000 entries of another PC's segments read, checked, merged, the list updated",
                  "reading the same bytes from disk", FigureRow::Unit::Milliseconds, 3.0);
    const std::wstring share = root.Child(L"merge-share");
    const std::wstring writer = root.Child(L"merge-writer") + L"\\";
    const std::wstring reader = root.Child(L"merge-reader") + L"\\";
    for (const std::wstring& folder : {share, writer, reader})
        CreateDirectoryW(folder.c_str(), nullptr);
    if (!Join(writer, share) || !Join(reader, share)) {
        row.SetFailure("no key for the shared folder");
        row.Print();
        return;
    }
    std::wstring otherFiles;
    {
        // The other PC: an empty start (its snapshot), then 10,000 copies in its segments.
        HistoryModel model;
        model.SetMaxEntries(kMergedEntries);
        ClipOptions options;
        ShareOptions(options, share);
        HistorySharing other(model, options);
        other.SetDataFolder(writer);
        other.Start();
        other.Tick(false);
        for (int i = 0; i < kMergedEntries; ++i)
            model.InsertText(TextOf(i, kTextChars));
        other.Finish();
        otherFiles = sharenames::Root(share) + other.Pc().Hex();
    }
    const std::wstring away = share + L"\\away";
    std::uint64_t bytes = 0;
    Samples popup;
    for (int run = 0; run <= runs; ++run) {
        Stopwatch read;
        bytes = ReadTree(otherFiles + L"\\");
        const double baseline = read.ElapsedMs();

        // The reader has started and sent its own snapshot before the other PC's files arrive.
        HostedHistory hosted;
        hosted.Model().SetMaxEntries(kMergedEntries);
        ClipOptions options;
        ShareOptions(options, share);
        DeleteFileW((reader + L"share.state").c_str());
        MoveFileW(otherFiles.c_str(), away.c_str());
        ThreadedReader threaded(hosted.Model(), options, reader);
        HistorySharing& sharing = threaded.sharing;
        sharing.Start();
        const bool started = threaded.WaitReport() && !sharing.TakeReports();
        sharing.Tick(false);
        const bool sent = threaded.WaitReport() && !sharing.TakeReports() && sharing.AllSent();
        MoveFileW(away.c_str(), otherFiles.c_str());

        HistoryListView::RedrawHold hidden(hosted.View());
        Stopwatch merge;
        sharing.Tick(true);
        const bool reported = threaded.WaitReport();
        Stopwatch taken;
        sharing.TakeReports();
        popup.Add(taken.ElapsedMs());
        const double work = merge.ElapsedMs();
        sharing.Finish();
        if (!started || !sent || !reported || hosted.Model().Count() != kMergedEntries ||
            hosted.ListCount() != kMergedEntries) {
            row.SetFailure("the merge did not bring every entry into the list");
            continue;
        }
        if (run > 0)
            row.AddRun(work, baseline);
    }
    row.Print();
    std::printf("NOTE\tSharing: the other PC's files held %llu bytes for %d entries of %u characters; the popup's "
                "thread took in the report in %.1f ms (median), the rest ran on sharing's thread\n",
                static_cast<unsigned long long>(bytes), kMergedEntries, static_cast<unsigned>(kTextChars),
                popup.Median());
    std::fflush(stdout);
}

}  // namespace

void BenchSharing(int runs)
{
    BenchFolder root(L"share");
    if (!root.Created())
        return;
    // The inserts take milliseconds: more runs, so that the noise of a shared machine evens out.
    BenchCaptureShared(root, runs * 3);
    BenchMerge(root, runs);
}
