#include "ShareExplorer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "MemoryFiles.h"
#include "history/model/FormatsShelf.h"
#include "history/share/HistorySharing.h"
#include "history/share/ShareNames.h"

namespace crash {

namespace {

const wchar_t kShare[] = L"C:\\share";
const wchar_t kDataA[] = L"C:\\pcA\\";
const wchar_t kDataB[] = L"C:\\pcB\\";
const wchar_t kPassphrase[] = L"explorer passphrase";

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towupper(c));
    return text;
}

const std::wstring& ShareKeyPrefix()
{
    static const std::wstring prefix = Upper(sharenames::Root(kShare));
    return prefix;
}

// One PC: its history and its sharing, on files it is given.
struct Pc {
    Pc(disk::FileSystem& files, const wchar_t* data, const wchar_t* name)
        : clock(std::make_shared<std::uint64_t>(13400000000000ull)),
          sharing(model, options, files, [c = clock] { return *c += 7; }, name)
    {
        options.m_bShare = 1;
        options.m_strShareFolder = kShare;
        model.SetMaxEntries(1000);
        sharing.SetDataFolder(data);
    }
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (int row = 0; row < model.Count(); ++row)
            texts.push_back(*model.At(row).text);
        return texts;
    }
    ClipOptions options;
    HistoryModel model;
    std::shared_ptr<std::uint64_t> clock;
    HistorySharing sharing;
};

std::wstring Big(const wchar_t* head)
{
    std::wstring text = head;
    while (text.size() < 80 * 1024)
        text += L" filler so that two of these pass the segment's bound";
    return text;
}

const std::vector<std::wstring>& Texts()
{
    static const std::vector<std::wstring> texts = {L"earlier copy 1001", L"first copy 2001", Big(L"big copy 3001"),
                                                    Big(L"big copy 3002"), L"second copy 4001"};
    return texts;
}

// The formatting of the first copy of the run: sealed like its text wherever it goes.
const wchar_t kHtmlMarker[] = L"<b>formatting 2002</b>";

std::shared_ptr<const EntryFormats> Formatting()
{
    EntryFormats formats;
    const std::wstring html = kHtmlMarker;
    formats.kept.push_back({{EntryFormats::kHtmlName, 0}, std::vector<std::uint8_t>(html.begin(), html.end())});
    return Shelved(std::move(formats));
}

// Both PCs hold the share's key, and the first has sent one copy before the run.
Image Prepared()
{
    MemoryFiles files;
    for (const wchar_t* folder : {L"C:\\share", L"C:\\pcA", L"C:\\pcB"})
        files.CreateFolder(folder);
    std::wstring fingerprint;
    Pc a(files, kDataA, L"PC-A");
    Pc b(files, kDataB, L"PC-B");
    if (a.sharing.Prepare(kShare, kPassphrase, fingerprint) != HistorySharing::Setup::Ready ||
        b.sharing.Prepare(kShare, kPassphrase, fingerprint) != HistorySharing::Setup::Ready)
        std::printf("VIOLATION setup: the share could not be made\n");
    a.sharing.Start();
    a.model.InsertText(Texts()[0]);
    a.sharing.Tick(false);
    a.sharing.Finish();
    return files.Now();
}

// What the run sent and what it removed, as the first PC acknowledged it.
struct Sent {
    std::set<std::wstring> alive;
    std::set<std::wstring> removed;
    // Removed by the run, sent or not: a removal the PC sends after its restart still counts.
    std::set<std::wstring> removedEver;
    ShareId pc;
};

// The run: a start (a snapshot that replaces the older segment), copies that
// grow a segment past its bound, Set top and Delete, each sent by a tick.
std::vector<HistoryEntry> RunFirstPc(MemoryFiles& files, Sent& sent)
{
    Pc a(files, kDataA, L"PC-A");
    std::set<std::wstring> removed;
    const auto tick = [&] {
        a.sharing.Tick(false);
        if (a.sharing.AllSent()) {
            const std::vector<std::wstring> texts = a.Texts();
            sent.alive = std::set<std::wstring>(texts.begin(), texts.end());
            sent.removed = removed;
        }
    };
    a.model.InsertText(Texts()[0]);  // the store's history from the run before
    a.sharing.Start();
    tick();
    a.model.InsertText(Texts()[1], Formatting());
    tick();
    a.model.InsertText(Texts()[2]);
    tick();
    a.model.InsertText(Texts()[3]);
    tick();
    a.model.InsertText(Texts()[4]);
    a.model.SetTop({a.model.At(a.model.Count() - 2).id});
    tick();
    a.model.Remove({a.model.At(a.model.Count() - 1).id});
    removed.insert(Texts()[0]);
    tick();
    a.sharing.Finish();
    sent.pc = a.sharing.Pc();
    sent.removedEver = removed;
    std::vector<HistoryEntry> entries;
    for (int row = 0; row < a.model.Count(); ++row)
        entries.push_back(a.model.At(row));
    return entries;
}

bool Holds(const std::vector<std::uint8_t>& bytes, const std::wstring& text)
{
    const std::wstring probe = text.substr(0, 12);
    std::vector<std::uint8_t> wide;
    for (wchar_t c : probe) {
        wide.push_back(static_cast<std::uint8_t>(c));
        wide.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    const std::vector<std::uint8_t> narrow(probe.begin(), probe.end());
    return std::search(bytes.begin(), bytes.end(), wide.begin(), wide.end()) != bytes.end() ||
           std::search(bytes.begin(), bytes.end(), narrow.begin(), narrow.end()) != bytes.end();
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(text.size(), 40)));
}

std::string FilesOf(const Image& image)
{
    std::string out;
    for (const auto& node : image.nodes)
        if (!node.second.folder && node.first.compare(0, ShareKeyPrefix().size(), ShareKeyPrefix()) == 0)
            out += Narrow(node.second.path.substr(ShareKeyPrefix().size())) + " " +
                   std::to_string(node.second.bytes.size()) + "; ";
    return out;
}

// The reader's own files with the shared folder as `shared` has it.
Image WithSharedFrom(const Image& own, const Image& shared)
{
    Image merged;
    for (const auto& node : own.nodes)
        if (node.first.compare(0, ShareKeyPrefix().size(), ShareKeyPrefix()) != 0)
            merged.nodes.insert(node);
    for (const auto& node : shared.nodes)
        if (node.first.compare(0, ShareKeyPrefix().size(), ShareKeyPrefix()) == 0)
            merged.nodes.insert(node);
    return merged;
}

void Check(std::vector<std::string>& violations, bool held, const std::string& what)
{
    if (!held)
        violations.push_back(what);
}

std::vector<std::string> RunCase(const Image& prepared, const Fault& fault, Torn torn, bool trace)
{
    std::vector<std::string> violations;
    MemoryFiles files(prepared);
    files.SetFault(fault);
    files.Trace(trace);
    Sent sent;
    const std::vector<HistoryEntry> left = RunFirstPc(files, sent);
    const Image cut = fault.mode == Fault::Mode::Cut ? files.CutImage(torn) : files.Now();

    // S4: the first PC changed nothing in the shared folder but its own files.
    const std::wstring own = ShareKeyPrefix() + Upper(sent.pc.Hex()) + L"\\";
    for (int step = 0; step < files.Steps(); ++step) {
        const Step& made = files.Log()[static_cast<size_t>(step)];
        const std::wstring path = Upper(made.path);
        if (made.changes && path.compare(0, ShareKeyPrefix().size(), ShareKeyPrefix()) == 0)
            Check(violations, path.compare(0, own.size(), own) == 0, "S4 changed " + Narrow(made.path));
    }

    // The other PC reads the files as the cut left them.
    MemoryFiles readerFiles(WithSharedFrom(prepared, cut));
    auto reader = std::make_unique<Pc>(readerFiles, kDataB, L"PC-B");
    reader->sharing.Start();
    reader->sharing.Tick(true);
    const std::vector<std::wstring> early = reader->Texts();
    for (const std::wstring& text : early)
        Check(violations, std::find(Texts().begin(), Texts().end(), text) != Texts().end(),
              "S5 the reader took a text that was never copied");
    // What was sent survives the cut even if the first PC never starts again.
    for (const std::wstring& text : sent.alive)
        if (!sent.removedEver.count(text))
            Check(violations, std::find(early.begin(), early.end(), text) != early.end(),
                  "S1 sent, then lost in the cut: " + Narrow(text));
    for (const std::wstring& text : sent.removed)
        Check(violations, std::find(early.begin(), early.end(), text) == early.end(),
              "S2 removal sent, then lost in the cut: " + Narrow(text));
    Image readerState = readerFiles.Now();
    reader.reset();

    // The first PC starts again on what it left (its store kept the history) and sends again.
    MemoryFiles again(cut);
    Pc restarted(again, kDataA, L"PC-A");
    restarted.model.BeginLoad();
    for (const HistoryEntry& entry : left)
        restarted.model.Append(entry);
    restarted.model.Loaded();
    restarted.sharing.Start();
    restarted.sharing.Tick(true);
    restarted.sharing.Finish();
    const Image after = again.Now();

    MemoryFiles later(WithSharedFrom(readerState, after));
    Pc reader2(later, kDataB, L"PC-B");
    reader2.sharing.Start();
    reader2.sharing.Tick(true);
    const std::vector<std::wstring> first = restarted.Texts();
    const std::vector<std::wstring> second = reader2.Texts();
    Check(violations, first == second, "S1 the two PCs differ: " + std::to_string(first.size()) + " and " +
                                           std::to_string(second.size()) + " entries");
    for (const std::wstring& text : sent.alive)
        if (!sent.removedEver.count(text))
            Check(violations, std::find(second.begin(), second.end(), text) != second.end(),
                  "S1 sent and lost: " + Narrow(text));
    // S6: a copy's formatting goes with it.
    for (int row = 0; row < reader2.model.Count(); ++row) {
        const HistoryEntry& entry = reader2.model.At(row);
        if (entry.text && *entry.text == Texts()[1]) {
            const FormatsShelf::Kept kept = KeptBytes(entry.formats);
            Check(violations, kept && kept->size() == 1 && kept->front().bytes == KeptBytes(Formatting())->front().bytes,
                  "S6 the formatting of a copy did not reach the other PC");
        }
    }
    for (const std::wstring& text : sent.removed) {
        Check(violations, std::find(second.begin(), second.end(), text) == second.end(),
              "S2 removed and back on the other PC: " + Narrow(text));
        Check(violations, std::find(first.begin(), first.end(), text) == first.end(),
              "S2 removed and back: " + Narrow(text));
    }
    // S3: nothing of the shared folder holds a copied text, whatever the cut left.
    for (const Image* image : {&cut, &after})
        for (const auto& node : image->nodes)
            if (!node.second.folder && node.first.compare(0, ShareKeyPrefix().size(), ShareKeyPrefix()) == 0)
                for (const std::wstring& text : Texts())
                    Check(violations, !Holds(node.second.bytes, text) && !Holds(node.second.bytes, kHtmlMarker),
                          "S3 plain text in " + Narrow(node.second.path));
    if (!violations.empty())
        violations.push_back("files: " + FilesOf(cut));
    return violations;
}

bool WritesSharedFile(const Step& step)
{
    const std::wstring path = Upper(step.path);
    return (step.kind == StepKind::Write || step.kind == StepKind::Flush || step.kind == StepKind::Move ||
            step.kind == StepKind::Delete || step.kind == StepKind::Open) &&
           path.compare(0, ShareKeyPrefix().size(), ShareKeyPrefix()) == 0;
}

}  // namespace

ShareTally ExploreSharing(bool full, long traced)
{
    const Image prepared = Prepared();
    std::vector<Step> log;
    {
        MemoryFiles files(prepared);
        Sent sent;
        RunFirstPc(files, sent);
        log = files.Log();
    }
    struct Planned {
        Fault fault;
        Torn torn;
    };
    std::vector<Planned> cases{{Fault(), Torn::Whole}};
    for (int step = 0; step < static_cast<int>(log.size()); ++step) {
        const Step& at = log[static_cast<size_t>(step)];
        const bool shared = WritesSharedFile(at);
        if (!full && !shared && step % 7 != 0)
            continue;
        for (DWORD error : {ERROR_SHARING_VIOLATION, ERROR_DISK_FULL, ERROR_ACCESS_DENIED})
            if (full || step % 3 == 0 || (shared && error == ERROR_DISK_FULL))
                cases.push_back({{Fault::Mode::Fail, step, error, 0}, Torn::Whole});
        if (at.changes || at.unflushed)
            for (Torn torn : {Torn::Lost, Torn::Whole, Torn::Half})
                cases.push_back({{Fault::Mode::Cut, step, ERROR_SUCCESS, 0}, torn});
    }
    ShareTally tally;
    for (size_t i = 0; i < cases.size(); ++i) {
        if (traced >= 0 && static_cast<size_t>(traced) != i)
            continue;
        ++tally.cases;
        const Planned& one = cases[i];
        for (const std::string& violation : RunCase(prepared, one.fault, one.torn, traced >= 0)) {
            ++tally.violations;
            const int step = one.fault.step;
            const std::string where =
                step >= 0 ? std::string(NameOf(log[static_cast<size_t>(step)].kind)) + " " +
                                Narrow(log[static_cast<size_t>(step)].path)
                          : std::string("no fault");
            std::printf("VIOLATION sharing [case %zu: %s step %d, %s, %s]: %s\n", i,
                        one.fault.mode == Fault::Mode::Cut ? "cut" : "fail", step, NameOf(one.torn), where.c_str(),
                        violation.c_str());
        }
    }
    std::printf("sharing: %zu of %zu cases (%zu steps), %zu violations\n", tally.cases, cases.size(), log.size(),
                tally.violations);
    std::fflush(stdout);
    return tally;
}

}  // namespace crash
