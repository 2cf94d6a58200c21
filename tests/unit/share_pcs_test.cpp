// Simulated PCs that share one history through a folder, with no network:
// each PC has its own files (its data folder and its copy of the shared
// folder), and a test sync service copies files between the copies late, out
// of order, cut short and completed later, twice, beside conflict copies, and
// as placeholders that cannot be read until later.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "history/share/HistorySharing.h"
#include "history/share/ShareNames.h"
#include "memory_files_support.h"

namespace {

using memfiles::Bytes;
using memfiles::MemoryFiles;

const std::wstring kShare = L"S:\\sync";
const std::wstring kData = L"C:\\data\\";
const std::wstring kPassphrase = L"correct horse battery staple";

// The wall clock every PC reads, each with its own error.
struct World {
    std::uint64_t now = UtcNow() / 10000;  // milliseconds since 1601
};

struct Pc {
    Pc(World& world, std::int64_t skewMs, const std::wstring& name)
        : wall([&world, skewMs] { return world.now + skewMs; }), name(name)
    {
        files.MakeFolders(kData);
        files.MakeFolders(kShare);
        Begin();
    }
    // Quillary ends and starts again on the history its own files kept.
    void Restart()
    {
        sharing->Finish();
        std::vector<HistoryEntry> entries;
        for (int row = 0; row < model->Count(); ++row)
            entries.push_back(model->At(row));
        const int top = model->TopCount();
        sharing.reset();
        Begin();
        model->BeginLoad();
        for (HistoryEntry& entry : entries)
            model->Append(std::move(entry));
        model->SetTopCount(top);
        model->Loaded();
        sharing->Start();
    }
    void Begin()
    {
        model = std::make_unique<HistoryModel>();
        sharing = std::make_unique<HistorySharing>(*model, options, files, wall, name);
        sharing->SetDataFolder(kData);
        model->SetMaxEntries(100000);
    }
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (int row = 0; row < model->Count(); ++row)
            texts.push_back(*model->At(row).text);
        return texts;
    }
    HybridClock::WallClock wall;
    std::wstring name;
    MemoryFiles files;
    ClipOptions options;
    std::unique_ptr<HistoryModel> model;
    std::unique_ptr<HistorySharing> sharing;
};

// Copies what each PC changed in its copy of the shared folder to the others' copies.
class SyncService {
public:
    SyncService(std::vector<Pc*> pcs, std::mt19937& random) : m_pcs(std::move(pcs)), m_random(random) {}

    // Notices what changed at each PC since it last looked.
    void Scan()
    {
        for (size_t from = 0; from < m_pcs.size(); ++from) {
            MemoryFiles& files = m_pcs[from]->files;
            std::set<std::wstring> present;
            for (const auto& item : files.files) {
                if (item.first.compare(0, kShare.size() + 1, kShare + L"\\") != 0 || Conflicted(item.first))
                    continue;
                present.insert(item.first);
                Bytes& seen = m_seen[{from, item.first}];
                if (seen != *item.second) {
                    seen = *item.second;
                    Queue(from, item.first, &seen);
                }
            }
            for (auto at = m_seen.lower_bound({from, L""}); at != m_seen.end() && at->first.first == from;) {
                if (!present.count(at->first.second)) {
                    Queue(from, at->first.second, nullptr);
                    at = m_seen.erase(at);
                } else {
                    ++at;
                }
            }
        }
    }

    // Does one unreliable thing with one waiting change.
    void Step()
    {
        if (m_queue.empty())
            return;
        const size_t pick = m_random() % m_queue.size();
        Delivery delivery = m_queue[pick];
        MemoryFiles& files = m_pcs[delivery.to]->files;
        switch (m_random() % 6) {
        case 0:  // cut short; the rest comes later
            if (!delivery.deleted && Current(delivery)) {
                Bytes part(delivery.bytes.begin(),
                           delivery.bytes.begin() + static_cast<std::ptrdiff_t>(m_random() % (delivery.bytes.size() + 1)));
                Put(delivery.to, delivery.path, part);
            }
            return;
        case 1:  // a placeholder: listed whole, not readable until downloaded
            if (!delivery.deleted && Current(delivery)) {
                Put(delivery.to, delivery.path, delivery.bytes);
                files.unreadable.insert(delivery.path);
                m_hydrate.push_back({delivery.to, delivery.path});
            }
            return;
        case 2:  // a conflict copy beside the file, with another version of it
            if (!delivery.deleted)
                Put(delivery.to, ConflictName(delivery.path), Garbled(delivery.bytes));
            break;
        case 3:  // twice
            Deliver(delivery);
            break;
        case 4:  // a placeholder comes down
            Hydrate();
            return;
        default:
            break;
        }
        Deliver(delivery);
        m_queue.erase(m_queue.begin() + static_cast<std::ptrdiff_t>(pick));
    }

    // Delivers everything, whole.
    void Quiet()
    {
        for (const Delivery& delivery : m_queue)
            Deliver(delivery);
        m_queue.clear();
        while (!m_hydrate.empty())
            Hydrate();
    }
    bool Idle() const { return m_queue.empty(); }

private:
    struct Delivery {
        size_t to;
        std::wstring path;
        Bytes bytes;
        bool deleted;
        std::uint64_t version;
    };

    static bool Conflicted(const std::wstring& path)
    {
        return path.find(L"(1)") != std::wstring::npos || path.find(L"sync-conflict") != std::wstring::npos ||
               path.find(L"conflicted copy") != std::wstring::npos;
    }
    std::wstring ConflictName(const std::wstring& path)
    {
        const size_t dot = path.find(L'.', path.find_last_of(L'\\'));
        static const wchar_t* kForms[] = {L" (1)", L".sync-conflict-20260101-ABCD", L" (Laptop's conflicted copy)"};
        return path.substr(0, dot) + kForms[m_random() % 3] + path.substr(dot);
    }
    Bytes Garbled(Bytes bytes)
    {
        if (!bytes.empty())
            bytes[m_random() % bytes.size()] ^= 0x5A;
        return bytes;
    }
    void Queue(size_t from, const std::wstring& path, const Bytes* bytes)
    {
        ++m_version;
        for (size_t to = 0; to < m_pcs.size(); ++to)
            if (to != from)
                m_queue.push_back({to, path, bytes ? *bytes : Bytes(), bytes == nullptr, m_version});
    }
    // An older version never lands over a newer one.
    bool Current(const Delivery& delivery) const
    {
        auto at = m_landed.find({delivery.to, delivery.path});
        return at == m_landed.end() || at->second <= delivery.version;
    }
    // What the service writes itself is never taken for a change that PC made.
    void Put(size_t to, const std::wstring& path, const Bytes& bytes)
    {
        MemoryFiles& files = m_pcs[to]->files;
        files.MakeFolders(MemoryFiles::Parent(path));
        files.files[path] = std::make_shared<Bytes>(bytes);
        files.unreadable.erase(path);
        m_seen[{to, path}] = bytes;
    }
    void Deliver(const Delivery& delivery)
    {
        if (!Current(delivery))
            return;
        m_landed[{delivery.to, delivery.path}] = delivery.version;
        MemoryFiles& files = m_pcs[delivery.to]->files;
        if (delivery.deleted) {
            files.files.erase(delivery.path);
            files.unreadable.erase(delivery.path);
            m_seen.erase({delivery.to, delivery.path});
            return;
        }
        Put(delivery.to, delivery.path, delivery.bytes);
    }
    void Hydrate()
    {
        if (m_hydrate.empty())
            return;
        const auto item = m_hydrate.front();
        m_hydrate.erase(m_hydrate.begin());
        m_pcs[item.first]->files.unreadable.erase(item.second);
    }

    std::vector<Pc*> m_pcs;
    std::mt19937& m_random;
    std::map<std::pair<size_t, std::wstring>, Bytes> m_seen;
    std::map<std::pair<size_t, std::wstring>, std::uint64_t> m_landed;
    std::vector<Delivery> m_queue;
    std::vector<std::pair<size_t, std::wstring>> m_hydrate;
    std::uint64_t m_version = 0;
};

bool Contains(const Bytes& haystack, const Bytes& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// What the test saw done, to check the end against: each text is copied once
// as itself, so a text names one entry.
struct Record {
    std::map<std::wstring, Stamp> lastCopy;
    std::set<std::wstring> removed;
    Stamp lastClear;
};

class SharedHistory : public testing::Test {
protected:
    void SetUpPcs(int count)
    {
        for (int i = 0; i < count; ++i)
            m_pcs.push_back(std::make_unique<Pc>(m_world, i == 2 ? -5 * 60 * 1000 : i * 700, L"pc" + std::to_wstring(i)));
    }
    std::vector<Pc*> Pcs()
    {
        std::vector<Pc*> pcs;
        for (auto& pc : m_pcs)
            pcs.push_back(pc.get());
        return pcs;
    }
    void TurnOn(Pc& pc)
    {
        pc.options.m_bShare = 1;
        pc.options.m_strShareFolder = kShare.c_str();
        pc.sharing->Start();
    }
    World m_world;
    std::vector<std::unique_ptr<Pc>> m_pcs;
};

// Clear All only early on, so that the end still has entries to compare.
void Act(Pc& pc, std::mt19937& random, Record& record, int& copies, int index, bool mayClear)
{
    const int roll = static_cast<int>(random() % 100);
    const int count = pc.model->Count();
    if (roll < 45 || count == 0) {
        const std::wstring text = L"copied on pc" + std::to_wstring(index) + L" #" + std::to_wstring(++copies);
        const EntryId id = pc.model->InsertText(text);
        pc.sharing->Drain();
        record.lastCopy[text] = pc.sharing->Book().FindLocal(id)->copied;
        return;
    }
    const HistoryEntry& entry = pc.model->At(static_cast<int>(random() % static_cast<unsigned>(count)));
    const EntryId id = entry.id;
    const std::wstring text = *entry.text;
    if (roll < 60) {
        pc.model->Recopy(id, nullptr);
        pc.sharing->Drain();
        record.lastCopy[text] = std::max(record.lastCopy[text], pc.sharing->Book().FindLocal(id)->copied);
    } else if (roll < 80) {
        pc.model->Remove({id});
        record.removed.insert(text);
    } else if (roll < 99 || !mayClear) {
        pc.model->SetTop({id});
    } else {
        pc.model->Clear();
        pc.sharing->Drain();
        record.lastClear = std::max(record.lastClear, pc.sharing->Book().ClearedBefore());
    }
}

TEST_F(SharedHistory, PcsThatCopyDeletePinAndClearThroughAnUnreliableSyncEndWithOneHistory)
{
    SetUpPcs(3);
    std::mt19937 random(20261208);
    SyncService sync(Pcs(), random);

    // The first PC makes the share; the others join with the passphrase once the key file has arrived.
    std::wstring fingerprint0;
    ASSERT_EQ(m_pcs[0]->sharing->Prepare(kShare, kPassphrase, fingerprint0), HistorySharing::Setup::Ready);
    m_pcs[0]->model->InsertText(L"copied before sharing was on");
    TurnOn(*m_pcs[0]);
    sync.Scan();
    sync.Quiet();
    for (size_t i = 1; i < m_pcs.size(); ++i) {
        std::wstring fingerprint;
        ASSERT_EQ(m_pcs[i]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
        EXPECT_EQ(fingerprint, fingerprint0);
        TurnOn(*m_pcs[i]);
    }

    Record record;
    ASSERT_EQ(m_pcs[0]->sharing->Book().View(false).size(), 1u);
    record.lastCopy[L"copied before sharing was on"] = m_pcs[0]->sharing->Book().View(false).front()->copied;
    int copies = 0;
    for (int step = 0; step < 600; ++step) {
        m_world.now += random() % 3000;
        const size_t who = random() % m_pcs.size();
        Pc& pc = *m_pcs[who];
        if (step % 150 == 149)
            pc.Restart();
        else if (random() % 3 == 0)
            Act(pc, random, record, copies, static_cast<int>(who), step < 400);
        else
            pc.sharing->Tick(random() % 2 == 0);
        sync.Scan();
        for (int i = random() % 4; i > 0; --i)
            sync.Step();
    }

    // The service goes quiet: everything arrives whole, and each PC catches up.
    for (int round = 0; round < 6; ++round) {
        m_world.now += 1000;
        for (auto& pc : m_pcs)
            pc->sharing->Tick(true);
        sync.Scan();
        sync.Quiet();
    }

    const std::vector<std::wstring> first = m_pcs[0]->Texts();
    for (auto& pc : m_pcs) {
        EXPECT_EQ(pc->Texts(), first);
        EXPECT_EQ(pc->model->TopCount(), m_pcs[0]->model->TopCount());
    }
    std::set<std::wstring> alive;
    for (const auto& copy : record.lastCopy)
        if (!record.removed.count(copy.first) && record.lastClear < copy.second)
            alive.insert(copy.first);
    EXPECT_EQ(std::set<std::wstring>(first.begin(), first.end()), alive);
    EXPECT_EQ(first.size(), alive.size()) << "an entry is there twice";
    EXPECT_GT(alive.size(), 10u);
    EXPECT_GT(record.removed.size(), 10u);

    for (size_t i = 0; i < m_pcs.size(); ++i) {
        const std::wstring own = sharenames::Root(kShare) + m_pcs[i]->sharing->Pc().Hex() + L"\\";
        for (const std::wstring& path : m_pcs[i]->files.changed) {
            if (path.compare(0, kShare.size() + 1, kShare + L"\\") != 0)
                continue;
            const bool ownFile = path.compare(0, own.size(), own) == 0;
            const bool keyFile = i == 0 && path.compare(0, sharenames::Root(kShare).size() + 9,
                                                        sharenames::Root(kShare) + L"share.key") == 0;
            EXPECT_TRUE(ownFile || keyFile) << "pc" << i << " wrote " << std::string(path.begin(), path.end());
        }
        // No plain byte of a copied text, in either form, in any file of the shared folder.
        for (const auto& item : m_pcs[i]->files.files) {
            for (const auto& copy : record.lastCopy) {
                const std::wstring& text = copy.first;
                Bytes narrow(text.begin(), text.end());
                Bytes wide;
                for (wchar_t c : text) {
                    wide.push_back(static_cast<std::uint8_t>(c));
                    wide.push_back(static_cast<std::uint8_t>(c >> 8));
                }
                const bool shared = item.first.compare(0, kShare.size(), kShare) == 0;
                if (shared) {
                    EXPECT_FALSE(Contains(*item.second, narrow) || Contains(*item.second, wide))
                        << std::string(item.first.begin(), item.first.end());
                }
            }
        }
    }
}

TEST_F(SharedHistory, AWrongPassphraseIsRefusedAtOnceAndWritesNothing)
{
    SetUpPcs(2);
    std::mt19937 random(7);
    SyncService sync(Pcs(), random);
    std::wstring fingerprint;
    ASSERT_EQ(m_pcs[0]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
    EXPECT_EQ(fingerprint.size(), 19u);
    sync.Scan();
    sync.Quiet();

    Pc& other = *m_pcs[1];
    const auto before = other.files.files.size();
    const auto changes = other.files.changed.size();
    EXPECT_EQ(other.sharing->Prepare(kShare, L"", fingerprint), HistorySharing::Setup::NeedPassphrase);
    EXPECT_EQ(other.sharing->Prepare(kShare, L"Correct horse battery staple", fingerprint),
              HistorySharing::Setup::WrongPassphrase);
    EXPECT_EQ(other.files.files.size(), before);
    EXPECT_EQ(other.files.changed.size(), changes);
    EXPECT_TRUE(other.sharing->Fingerprint().empty());
}

TEST_F(SharedHistory, APcAwayFromTheFolderGoesOnAloneSaysSoOnceAndCatchesUpWhenItReturns)
{
    SetUpPcs(2);
    std::mt19937 random(11);
    SyncService sync(Pcs(), random);
    std::wstring fingerprint;
    ASSERT_EQ(m_pcs[0]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
    sync.Scan();
    sync.Quiet();
    ASSERT_EQ(m_pcs[1]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
    for (auto& pc : m_pcs)
        TurnOn(*pc);
    const auto settle = [&] {
        for (int round = 0; round < 3; ++round) {
            for (auto& pc : m_pcs)
                pc->sharing->Tick(true);
            sync.Scan();
            sync.Quiet();
        }
    };
    settle();
    Pc& away = *m_pcs[1];
    std::wstring pcName;
    EXPECT_EQ(away.sharing->TakeProblem(pcName), HistorySharing::Problem::None);

    // The folder goes away (a drive unplugged): what it held is kept aside to come back as it was.
    MemoryFiles& files = away.files;
    std::map<std::wstring, std::shared_ptr<Bytes>> kept;
    std::set<std::wstring> keptFolders;
    for (auto at = files.files.begin(); at != files.files.end();) {
        if (at->first.compare(0, kShare.size(), kShare) == 0) {
            kept.insert(*at);
            at = files.files.erase(at);
        } else {
            ++at;
        }
    }
    for (auto at = files.folders.begin(); at != files.folders.end();) {
        if (at->compare(0, kShare.size(), kShare) == 0) {
            keptFolders.insert(*at);
            at = files.folders.erase(at);
        } else {
            ++at;
        }
    }
    away.model->InsertText(L"copied while the folder was away");
    m_pcs[0]->model->InsertText(L"copied on the other PC meanwhile");
    m_pcs[0]->sharing->Tick(true);
    for (int tick = 0; tick < 3; ++tick)
        away.sharing->Tick(true);
    EXPECT_EQ(away.Texts(), std::vector<std::wstring>{L"copied while the folder was away"});
    EXPECT_EQ(away.sharing->TakeProblem(pcName), HistorySharing::Problem::FolderUnreachable);
    away.sharing->Tick(true);
    EXPECT_EQ(away.sharing->TakeProblem(pcName), HistorySharing::Problem::None) << "said only once";

    // It comes back: both copies reach both PCs, and nothing more is said.
    files.files.insert(kept.begin(), kept.end());
    files.folders.insert(keptFolders.begin(), keptFolders.end());
    settle();
    for (auto& pc : m_pcs) {
        std::vector<std::wstring> texts = pc->Texts();
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, (std::vector<std::wstring>{L"copied on the other PC meanwhile", L"copied while the folder was away"}));
    }
    EXPECT_EQ(away.sharing->TakeProblem(pcName), HistorySharing::Problem::None);
    EXPECT_EQ(away.sharing->PcCount(), 2);
}

}  // namespace
