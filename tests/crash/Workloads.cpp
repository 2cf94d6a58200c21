#include "Workloads.h"

#include <shlobj.h>

#include <cstring>
#include <cwctype>

#include "history/store/formats/FileNames.h"
#include "history/store/journal/JournalFormat.h"

namespace crash {

const wchar_t kFolder[] = L"C:\\crash\\data\\";

namespace {

std::wstring Text(int n)
{
    return L"crash text " + std::to_wstring(100 + n) + L" quillary";
}

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Larger than a page, so that a start reads its record's outline alone.
EntryFormats Html(int n)
{
    std::string html = "<b>crash html " + std::to_string(100 + n) + "</b>";
    for (int cell = 0; cell < 600; ++cell)
        html += "<i>" + std::to_string(cell) + "</i>";
    EntryFormats formats;
    formats.kept.push_back({{EntryFormats::kHtmlName, 0}, Bytes(html)});
    return formats;
}

EntryFormats HtmlAndRtf(int n)
{
    EntryFormats formats = Html(n);
    formats.kept.push_back({{EntryFormats::kRtfName, 0}, Bytes("{\\rtf1 crash rtf " + std::to_string(100 + n) + "}")});
    return formats;
}

// A copy of files: the text is their paths, the file list is kept beside it.
std::wstring FilesText(int n)
{
    return L"C:\\crash\\file " + std::to_wstring(100 + n) + L".txt";
}

EntryFormats Files(int n)
{
    const std::wstring path = FilesText(n);
    std::vector<std::uint8_t> block(sizeof(DROPFILES), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    for (wchar_t unit : path + L'\0' + L'\0') {
        block.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        block.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    EntryFormats formats;
    formats.kept.push_back({{L"", EntryFormats::kFileListNumber}, std::move(block)});
    formats.label = L"file " + std::to_wstring(100 + n) + L".txt";
    return formats;
}

COLORREF Colour(int n)
{
    return RGB(20 + 40 * (n % 6), 200 - 30 * (n % 5), 60 + 25 * (n % 7));
}

Action Copy(int n)
{
    return {"copy text " + std::to_string(n), [n](Program& p) { p.CopyText(Text(n)); }};
}

Action CopyHtml(int n)
{
    return {"copy html " + std::to_string(n), [n](Program& p) {
                const EntryFormats formats = HtmlAndRtf(n);
                p.CopyText(Text(n), &formats);
            }};
}

Action CopyFiles(int n)
{
    return {"copy files " + std::to_string(n), [n](Program& p) {
                const EntryFormats formats = Files(n);
                p.CopyText(FilesText(n), &formats);
            }};
}

// The same text copied again, with other formats.
Action Recopy(int n, int formats)
{
    return {"copy text " + std::to_string(n) + " again", [n, formats](Program& p) {
                const EntryFormats kept = Html(formats);
                p.CopyText(Text(n), &kept);
            }};
}

Action Picture(int n)
{
    return {"copy picture " + std::to_string(n), [n](Program& p) { p.CopyPicture(Colour(n)); }};
}

Action Delete(int row)
{
    return {"delete row " + std::to_string(row), [row](Program& p) { p.Delete(row); }, true};
}

Action SetTop(int row)
{
    return {"set top row " + std::to_string(row), [row](Program& p) { p.SetTop(row); }};
}

Action ClearAll()
{
    return {"clear all", [](Program& p) { p.ClearAll(); }, true};
}

Action Forget()
{
    return {"forget by age", [](Program& p) { p.ForgetOld(); }, true};
}

Action Lock()
{
    return {"clear at lock", [](Program& p) { p.ClearAtLock(); }, true};
}

Action Encrypt(bool on)
{
    return {on ? "encryption on" : "encryption off", [on](Program& p) { p.SetEncrypted(on); }, false, !on};
}

Action Exit()
{
    return {"exit", [](Program& p) { p.Exit(); }};
}

Action Kill()
{
    return {"end without exit", [](Program&) {}};
}

// A fault-free run from a new folder; its files as it left them.
Image Prepared(const std::vector<Action>& actions)
{
    MemoryFiles files;
    files.CreateFolder(L"C:\\crash");
    files.CreateFolder(kFolder);
    {
        Program program(files, kFolder);
        program.StartUp();
        for (const Action& action : actions) {
            action.run(program);
            program.Pass(std::chrono::milliseconds(1500));
        }
    }
    return files.Now();
}

// The file of that name in the data folder; "*.dat" names its first picture.
Image::Node& NodeOf(Image& image, const std::wstring& name)
{
    const bool picture = !name.empty() && name[0] == L'*';
    for (auto& entry : image.nodes) {
        const std::wstring& path = entry.second.path;
        const std::wstring file = path.substr(path.rfind(L'\\') + 1);
        if (picture ? file.size() > name.size() - 1 && file.compare(file.size() - name.size() + 1, name.size() - 1,
                                                                    name.substr(1)) == 0 && iswdigit(file[0])
                    : file == name)
            return entry.second;
    }
    static Image::Node none;
    return none;
}

// A history of every kind of entry, left by an exit.
Image EveryKind(bool sealed)
{
    std::vector<Action> actions = {Copy(1), CopyHtml(2), Picture(3), CopyFiles(4), Copy(5), SetTop(3), Exit()};
    if (sealed)
        actions.insert(actions.begin(), Encrypt(true));
    return Prepared(actions);
}

// The same, then a run whose changes are only in the journal.
Image EveryKindWithJournal(bool sealed)
{
    MemoryFiles files(EveryKind(sealed));
    {
        Program program(files, kFolder);
        program.StartUp();
        for (const Action& action : {Delete(1), Copy(6), CopyHtml(7), Picture(8)}) {
            action.run(program);
            program.Pass(std::chrono::milliseconds(1500));
        }
    }
    return files.Now();
}

// One byte of `name` flipped, `at` bytes from its start (negative: from its end).
std::function<Image()> Damaged(std::function<Image()> prepare, const std::wstring& name, long long at)
{
    return [prepare, name, at] {
        Image image = prepare();
        std::vector<std::uint8_t>& bytes = NodeOf(image, name).bytes;
        if (!bytes.empty()) {
            const long long size = static_cast<long long>(bytes.size());
            const long long place = at < 0 ? size + at : std::min(at, size - 1);
            bytes[static_cast<size_t>(std::max(0LL, place))] ^= 0x5A;
        }
        return image;
    };
}

Workload DamageCase(const std::string& name, std::function<Image()> prepare, const std::wstring& file, long long at)
{
    Workload workload;
    workload.name = name;
    workload.prepare = Damaged(prepare, file, at);
    workload.intact = std::move(prepare);
    workload.body = {Copy(20), Delete(1), Exit()};
    workload.damaged = true;
    return workload;
}

// The sealed history of every kind, then a run that copied another picture and exited.
Image Later(const Image& earlier)
{
    MemoryFiles files(earlier);
    {
        Program program(files, kFolder);
        program.StartUp();
        for (const Action& action : {Picture(9), CopyHtml(12), Exit()}) {
            action.run(program);
            program.Pass(std::chrono::milliseconds(1500));
        }
    }
    return files.Now();
}

// A sealed folder where `names` (all files ending so) are put back as an earlier set had them.
Workload RolledBack(const std::string& name, const std::wstring& suffix, bool keyLost)
{
    Workload workload;
    workload.name = name;
    workload.intact = [] { return Later(EveryKind(true)); };
    workload.prepare = [suffix] {
        const Image earlier = EveryKind(true);
        Image later = Later(earlier);
        for (const auto& entry : earlier.nodes) {
            const std::wstring& path = entry.second.path;
            auto now = later.nodes.find(entry.first);
            if (now != later.nodes.end() && path.size() >= suffix.size() &&
                path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
                now->second.bytes = entry.second.bytes;
        }
        return later;
    };
    workload.body = {Copy(20), Exit()};
    workload.rolledBack = true;
    workload.keyLost = keyLost;
    return workload;
}

// Changes after a sealed history in its journal, the first of them taken from another run's journal
// that went on from the same set: the same offset, the same size.
Image Spliced()
{
    const Image base = EveryKind(true);
    const auto run = [&base](int text) {
        MemoryFiles files(base);
        {
            Program program(files, kFolder);
            program.StartUp();
            for (const Action& action : {Copy(text), Copy(text + 20)}) {
                action.run(program);
                program.Pass(std::chrono::milliseconds(1500));
            }
        }
        return files.Now();
    };
    Image mine = run(30);
    Image theirs = run(31);
    std::vector<std::uint8_t>& journal = NodeOf(mine, g_strSealedJournalFileName).bytes;
    const std::vector<std::uint8_t>& other = NodeOf(theirs, g_strSealedJournalFileName).bytes;
    // The start frame is alike in size in both: the first change follows it at the same offset.
    const std::size_t start = 8 + 8 + (journal[8] | journal[9] << 8 | journal[10] << 16 | journal[11] << 24);
    const std::size_t frame = 8 + (journal[start] | journal[start + 1] << 8);
    if (other.size() >= start + frame && journal.size() >= start + frame)
        std::copy(other.begin() + static_cast<std::ptrdiff_t>(start),
                  other.begin() + static_cast<std::ptrdiff_t>(start + frame),
                  journal.begin() + static_cast<std::ptrdiff_t>(start));
    // As one who can write the folder but has no key would: every frame's CRC made to chain again.
    std::uint32_t chain = journal[12] | journal[13] << 8 | journal[14] << 16 | static_cast<std::uint32_t>(journal[15]) << 24;
    for (std::size_t at = start; at + 8 <= journal.size();) {
        const std::size_t length = journal[at] | journal[at + 1] << 8 | journal[at + 2] << 16;
        if (at + 8 + length > journal.size())
            break;
        chain = journal::ChainedCrc(chain, journal.data() + at + 8, length);
        for (int i = 0; i < 4; ++i)
            journal[at + 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(chain >> (8 * i));
        at += 8 + length;
    }
    return mine;
}

Workload Make(std::string name, std::function<Image()> prepare, std::vector<Action> body)
{
    Workload workload;
    workload.name = std::move(name);
    workload.prepare = std::move(prepare);
    workload.body = std::move(body);
    return workload;
}

}  // namespace

std::vector<Workload> AllWorkloads()
{
    std::vector<Workload> all;
    all.push_back(Make("texts", nullptr, {Copy(1), Copy(2), Copy(3), SetTop(1), Copy(4), Delete(2), Copy(5), Exit()}));
    all.push_back(Make("formats", nullptr,
                   {CopyHtml(1), CopyFiles(2), Copy(3), Recopy(3, 4), Delete(1), CopyHtml(5), Kill()}));
    all.push_back(Make("pictures", nullptr, {Picture(1), Copy(2), Picture(3), Delete(0), Picture(4), Exit()}));
    all.push_back(Make("clear all", [] { return EveryKind(false); }, {SetTop(2), Copy(10), ClearAll(), Copy(11), Kill()}));
    all.push_back(Make("forget by age", [] { return EveryKind(false); }, {Copy(10), Forget(), Copy(11), Exit()}));
    all.push_back(Make("clear at lock", [] { return EveryKindWithJournal(false); }, {Lock(), Copy(10), Kill()}));
    all.push_back(Make("delete after kill", [] { return EveryKindWithJournal(false); }, {Delete(0), Copy(10), Exit()}));
    all.push_back(Make("encryption on", [] { return EveryKind(false); },
                   {Copy(10), Encrypt(true), CopyHtml(11), Delete(1), Picture(12), Exit()}));
    all.push_back(Make("encryption off", [] { return EveryKindWithJournal(true); },
                   {Encrypt(false), Copy(10), Delete(0), Exit()}));
    all.push_back(Make("sealed", [] { return EveryKindWithJournal(true); },
                   {CopyHtml(10), Delete(2), Picture(11), Copy(12), Kill()}));

    Workload missing = Make("key missing", [] {
                         Image image = EveryKindWithJournal(true);
                         image.nodes.erase(L"C:\\CRASH\\DATA\\HISTORY.KEY");
                         return image;
                     },
                     {Copy(20), CopyHtml(21), Exit()});
    missing.keyLost = true;
    all.push_back(missing);
    Workload foreign = Make("key foreign", [] {
                         Image image = EveryKindWithJournal(true);
                         // Another folder's key: it opens, but not this history.
                         Image other = EveryKind(true);
                         NodeOf(image, g_strKeyFileName).bytes = NodeOf(other, g_strKeyFileName).bytes;
                         return image;
                     },
                     {Copy(20), Exit()});
    foreign.keyLost = true;
    all.push_back(foreign);
    Workload damagedKey = Make("key damaged", Damaged([] { return EveryKindWithJournal(true); }, g_strKeyFileName, 20),
                               {Copy(20), Exit()});
    damagedKey.keyLost = true;
    all.push_back(damagedKey);

    const auto plain = [] { return EveryKindWithJournal(false); };
    const auto sealed = [] { return EveryKindWithJournal(true); };
    all.push_back(DamageCase("damaged data.data", plain, g_strHistoryFileName, 9));
    all.push_back(DamageCase("damaged data.extras record", plain, g_strExtrasFileName, 60));
    all.push_back(DamageCase("damaged data.extras length", plain, g_strExtrasFileName, 24));
    all.push_back(DamageCase("damaged data.journal", plain, g_strJournalFileName, -20));
    all.push_back(DamageCase("damaged data.journal frame", plain, g_strJournalFileName, 200));
    all.push_back(DamageCase("damaged data.qjournal frame", sealed, g_strSealedJournalFileName, 230));
    all.push_back(DamageCase("damaged N.dat", plain, L"*.dat", 0));
    all.push_back(DamageCase("damaged data.qdata", sealed, g_strSealedHistoryFileName, -30));
    all.push_back(DamageCase("damaged data.qextras record", sealed, g_strSealedExtrasFileName, -40));
    all.push_back(DamageCase("damaged data.qjournal", sealed, g_strSealedJournalFileName, -20));
    all.push_back(DamageCase("damaged N.qdat", sealed, L"*.qdat", 40));
    all.push_back(RolledBack("N.qdat rolled back", L".qdat", false));
    all.push_back(RolledBack("data.qextras rolled back", L"data.qextras", false));
    all.push_back(RolledBack("history.key rolled back", L"history.key", true));
    Workload spliced = Make("data.qjournal spliced", Spliced, {Copy(20), Exit()});
    spliced.rolledBack = true;
    spliced.intact = [] {
        Image image = Spliced();
        image.nodes.erase(L"C:\\CRASH\\DATA\\DATA.QJOURNAL");
        return image;
    };
    all.push_back(spliced);
    return all;
}

}  // namespace crash
