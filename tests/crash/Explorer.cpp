#include "Explorer.h"

#include "Checker.h"
#include "Program.h"
#include "Timeline.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "history/model/FormatsShelf.h"
#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/formats/Crc32.h"
#include "history/store/journal/JournalFormat.h"

namespace crash {

namespace {

constexpr auto kSettle = std::chrono::milliseconds(1500);
// Long enough for the longest pause of the retry schedule, twice.
constexpr auto kRecovery = std::chrono::seconds(130);
constexpr int kHeldSteps = 100;
const wchar_t kAfterFault[] = L"crash copy once the fault is gone";
const wchar_t kProbe[] = L"crash copy after the restart";

std::vector<DWORD> ErrorsFor(StepKind kind)
{
    switch (kind) {
    case StepKind::Open:
    case StepKind::Move:
    case StepKind::Delete:
        return {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED};
    case StepKind::Write:
        return {ERROR_DISK_FULL, ERROR_IO_DEVICE};
    case StepKind::SetEnd:
        return {ERROR_DISK_FULL};
    case StepKind::CreateFolder:
    case StepKind::SetReadOnly:
        return {ERROR_ACCESS_DENIED};
    default:
        return {ERROR_IO_DEVICE};
    }
}

std::string ErrorName(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION: return "a sharing violation";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_DISK_FULL: return "disk full";
    case ERROR_IO_DEVICE: return "an I/O error";
    default: return "error " + std::to_string(error);
    }
}

bool IsIntent(const std::wstring& path)
{
    return path.size() >= 11 && path.compare(path.size() - 11, 11, L"save.intent") == 0;
}

// One run of a workload's body with the case's fault; the files it leaves and what it went through.
struct Outcome {
    Timeline line;
    std::vector<Step> log;
    Image image;
};

}  // namespace

std::string Case::Name() const
{
    std::string name = "workload \"" + workload->name + "\"";
    switch (fault.mode) {
    case Fault::Mode::None: return name + ", no fault";
    case Fault::Mode::Fail:
        return name + ", step " + std::to_string(fault.step) + " fails with " + ErrorName(fault.error) +
               (fault.held > 0 ? ", and the file's next " + std::to_string(fault.held) + " steps too" : "");
    case Fault::Mode::Cut: return name + ", cut at step " + std::to_string(fault.step) + ", " + NameOf(torn);
    }
    return name;
}

const Image& Explorer::PreparedOf(const Workload& workload)
{
    auto found = m_prepared.find(&workload);
    if (found != m_prepared.end())
        return found->second;
    Image image;
    if (workload.prepare) {
        image = workload.prepare();
    } else {
        MemoryFiles files;
        files.CreateFolder(L"C:\\crash");
        files.CreateFolder(kFolder);
        image = files.Now();
    }
    return m_prepared[&workload] = std::move(image);
}

const Image& Explorer::IntactOf(const Workload& workload)
{
    auto found = m_intact.find(&workload);
    if (found != m_intact.end())
        return found->second;
    return m_intact[&workload] = workload.intact();
}

namespace {

void RunBody(const Workload& workload, const Image& prepared, const Case& one, Checker& check, Outcome& outcome)
{
    MemoryFiles files(prepared);
    files.SetFault(one.fault);
    files.Trace(one.trace);
    Timeline& line = outcome.line;
    bool told = false;
    journal::Intent written;
    files.WatchWrites([&](const std::wstring& path, const std::uint8_t* data, std::size_t count) {
        const std::vector<std::uint8_t> bytes(data, data + count);
        if (IsIntent(path))
            journal::DecodeIntent(bytes, written);
        if (!line.sealed || told)
            return;
        for (const Needle& needle : line.copied) {
            if (Holds(bytes, needle)) {
                told = true;
                check.Add("I3", "step " + std::to_string(files.Steps() - 1) + " writes the " + needle.what +
                                    " in plain form to " + Narrow(path),
                          files);
                return;
            }
        }
    });
    // A save commits once its intent is on the disk: from then on the history is in the form it writes.
    files.WatchFlushes([&](const std::wstring& path) {
        if (!IsIntent(path))
            return;
        for (const auto& move : written.moves) {
            if (move.second == u"data.qdata")
                line.sealed = true;
            else if (move.second == u"data.data")
                line.sealed = false;
        }
    });
    {
        Program program(files, kFolder);
        program.Model().AddListener([&](const HistoryChange& change) {
            MemoryFiles::Quiet quiet(files);
            line.Changed(program.Model(), change);
        });
        try {
            program.StartUp();
            {
                MemoryFiles::Quiet quiet(files);
                line.Loaded(program.Model());
            }
            line.sealed = program.Durable().Encrypted();
            for (size_t i = 0; i < workload.body.size() && !files.IsCut(); ++i) {
                const Action& action = workload.body[i];
                if (i + 1 == workload.body.size()) {
                    // Any fault is gone by now: the retry schedule brings everything to the disk. (Every
                    // run takes this pause, so that the steps of all runs are numbered alike.)
                    program.Pass(kRecovery);
                    program.CopyText(kAfterFault);
                    if (files.IsCut())
                        break;
                    program.Pass(kSettle);
                    if (files.IsCut())
                        break;
                    line.acked = line.states.size() - 1;
                    line.Folded();
                }
                if (one.trace)
                    std::printf("action: %s\n", action.name.c_str());
                if (action.unseals)
                    line.sealed = false;
                action.run(program);
                if (files.IsCut())
                    break;
                program.Pass(kSettle);
                if (files.IsCut())
                    break;
                line.acked = line.states.size() - 1;
                if (!files.Failed())
                    line.Folded();
            }
        } catch (const std::exception& error) {
            check.Add("I6", std::string("the program ended with an exception: ") + error.what(), files);
        } catch (...) {
            check.Add("I6", "the program ended with an exception", files);
        }
    }
    outcome.log = files.Log();
    MemoryFiles::Quiet quiet(files);
    outcome.image = one.fault.mode == Fault::Mode::Cut ? files.CutImage(one.torn) : files.Now();
}

// The store started again from `image`: its history, and whether a change it makes survives the next start.
void Restart(const Image& image, const Timeline& line, bool exact, Checker& check)
{
    MemoryFiles files(image);
    bool told = false;
    files.WatchWrites([&](const std::wstring& path, const std::uint8_t* data, std::size_t count) {
        const std::vector<std::uint8_t> bytes(data, data + count);
        for (const Needle& needle : line.copied) {
            if (line.sealed && !told && Holds(bytes, needle)) {
                told = true;
                check.Add("I3", "after the restart a write puts the " + needle.what + " in plain form in " + Narrow(path),
                          files);
            }
        }
    });
    try {
        {
            Program program(files, kFolder);
            program.StartUp();
            State got;
            {
                MemoryFiles::Quiet quiet(files);
                got = FromDisk(program.Model());
            }
            check.Compare(got, line, exact, image);
            // What the start finished (a save's moves and removals) is done: nothing removed, nothing plain is left.
            program.Pass(kSettle);
            {
                MemoryFiles::Quiet quiet(files);
                check.Residue(files.Now(), line);
            }
            program.CopyText(kProbe);
            program.Pass(kSettle);
        }
        MemoryFiles again(files.Now());
        Program program(again, kFolder);
        program.StartUp();
        bool found = false;
        for (int row = 0; row < program.Model().Count(); ++row)
            found = found || (program.Model().At(row).text && *program.Model().At(row).text == kProbe);
        if (!found)
            check.Add("I7", "a copy made after the restart is gone at the next start", again);
    } catch (...) {
        check.Add("I6", "the restart ended with an exception", image);
    }
}

}  // namespace

std::vector<Violation> Explorer::Run(const Case& one)
{
    std::vector<Violation> out;
    Checker check(one, out);
    const Workload& workload = *one.workload;
    const Image& prepared = PreparedOf(workload);
    Outcome outcome;
    RunBody(workload, prepared, one, check, outcome);
    if (one.fault.mode == Fault::Mode::None && (workload.damaged || workload.rolledBack)) {
        // I6: one damaged byte costs at most the record it is in, a file of another set or journal is
        // never taken for the history's, and the load reads the files once.
        MemoryFiles intactFiles(IntactOf(workload));
        Program intact(intactFiles, kFolder);
        intact.StartUp();
        MemoryFiles::Quiet quiet(intactFiles);
        const State whole = FromDisk(intact.Model());
        const State& loaded = outcome.line.states.front();
        int lost = 0, gained = 0;
        for (const std::wstring& row : whole.rows)
            lost += std::find(loaded.rows.begin(), loaded.rows.end(), row) == loaded.rows.end() ? 1 : 0;
        // Read as something it is not: a row the history lacks, or formats other than its own (none is fine).
        const auto content = [](const std::wstring& row) { return row.substr(0, row.find(L" [")); };
        for (const std::wstring& row : loaded.rows) {
            const bool same = std::find(whole.rows.begin(), whole.rows.end(), row) != whole.rows.end();
            const bool bare = std::any_of(whole.rows.begin(), whole.rows.end(),
                                          [&](const std::wstring& other) { return content(other) == row; });
            gained += same || bare ? 0 : 1;
        }
        if (workload.damaged && lost > 1)
            check.Add("I6", "one damaged byte cost " + std::to_string(lost) + " entries: " + whole.Text() + " became " +
                                loaded.Text(),
                      prepared);
        if (gained > 0)
            check.Add("I6", "what the files hold was misread: " + whole.Text() + " was read as " + loaded.Text(),
                      prepared);
        MemoryFiles reads(prepared);
        Program load(reads, kFolder);
        reads.ResetReads();
        load.StartUp();
        const std::uint64_t size = BytesOf(prepared);
        if (reads.ReadCalls() > 200 + size / 64 || reads.ReadBytes() > 4 * size + (1u << 16))
            check.Add("I6", "the load of " + std::to_string(size) + " bytes made " + std::to_string(reads.ReadCalls()) +
                                " reads of " + std::to_string(reads.ReadBytes()) + " bytes",
                      prepared);
    }
    if (workload.keyLost)
        check.KeptWhole(prepared, outcome.image);
    Restart(outcome.image, outcome.line, one.fault.mode != Fault::Mode::Cut, check);
    return out;
}

std::string Explorer::StepOf(const Case& one) const
{
    auto log = m_logs.find(one.workload);
    if (one.fault.mode == Fault::Mode::None || log == m_logs.end() ||
        static_cast<size_t>(one.fault.step) >= log->second.size())
        return "";
    const Step& step = log->second[static_cast<size_t>(one.fault.step)];
    std::wstring path = step.path;
    for (size_t at; (at = path.find(kFolder)) != std::wstring::npos;)
        path.erase(at, std::wstring(kFolder).size());
    return std::string(NameOf(step.kind)) + " " + Narrow(path);
}

namespace {

// A step's file as the data folder names it, a temporary's token left out.
std::string FileOfStep(const Step& step)
{
    std::wstring path = step.path.substr(0, step.path.find(L" -> "));
    if (path.compare(0, std::wstring(kFolder).size(), kFolder) == 0)
        path.erase(0, std::wstring(kFolder).size());
    const size_t temporary = path.find(L".qtmp");
    if (temporary != std::wstring::npos) {
        const size_t dot = path.rfind(L'.', temporary - 1);
        path.erase(dot, temporary - dot);
    }
    return Narrow(path);
}

}  // namespace

std::string Explorer::StepKey(const Case& one) const
{
    auto log = m_logs.find(one.workload);
    if (one.fault.mode == Fault::Mode::None || log == m_logs.end() ||
        static_cast<size_t>(one.fault.step) >= log->second.size())
        return "";
    const std::vector<Step>& steps = log->second;
    const Step& step = steps[static_cast<size_t>(one.fault.step)];
    const std::string file = FileOfStep(step);
    int occurrence = 0;
    for (int i = 0; i <= one.fault.step; ++i) {
        if (steps[static_cast<size_t>(i)].kind == step.kind && FileOfStep(steps[static_cast<size_t>(i)]) == file)
            ++occurrence;
    }
    return std::string(NameOf(step.kind)) + " " + file + " #" + std::to_string(occurrence);
}

std::vector<Case> Explorer::CasesOf(const Workload& workload)
{
    std::vector<Case> cases;
    Case none;
    none.workload = &workload;
    std::vector<Violation> ignored;
    Checker check(none, ignored);
    Outcome dry;
    RunBody(workload, PreparedOf(workload), none, check, dry);
    cases.push_back(none);
    m_logs[&workload] = dry.log;
    for (size_t step = 0; step < dry.log.size(); ++step) {
        Case one;
        one.workload = &workload;
        one.fault.step = static_cast<int>(step);
        one.fault.mode = Fault::Mode::Fail;
        for (DWORD error : ErrorsFor(dry.log[step].kind)) {
            one.fault.error = error;
            cases.push_back(one);
        }
        // Held by another program for a while: every step on the file fails for the next hundred.
        if (dry.log[step].kind == StepKind::Open) {
            one.fault.error = ERROR_SHARING_VIOLATION;
            one.fault.held = kHeldSteps;
            cases.push_back(one);
            one.fault.held = 0;
        }
        if (!dry.log[step].changes)
            continue;
        one.fault.mode = Fault::Mode::Cut;
        one.fault.error = ERROR_SUCCESS;
        const std::vector<Torn> variants = dry.log[step].unflushed ? std::vector<Torn>{Torn::Lost, Torn::Whole, Torn::Half}
                                                                   : std::vector<Torn>{Torn::Whole};
        for (Torn torn : variants) {
            one.torn = torn;
            cases.push_back(one);
        }
    }
    return cases;
}

}  // namespace crash
