// Simulated PCs that share one history through a folder, with no network:
// each PC has its own files (its data folder and its copy of the shared
// folder), and a test sync service copies files between the copies late, out
// of order, cut short and completed later, twice, beside conflict copies, and
// as placeholders that cannot be read until later.
#include <gtest/gtest.h>

#include "history/share/ShareNames.h"
#include "share_pcs_support.h"

namespace {

using namespace sharepcs;

// What the test saw done, to check the end against: each text is copied once
// as itself, so a text names one entry.
struct Record {
    std::map<std::wstring, Stamp> lastCopy;
    std::set<std::wstring> removed;
    Stamp lastClear;
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

// Takes what lies in the shared folder out of `files` (a map or set of paths) and returns it.
template <typename Container, typename PathOf>
Container TakeShared(Container& files, PathOf pathOf)
{
    Container taken;
    for (auto at = files.begin(); at != files.end();) {
        if (pathOf(*at).compare(0, kShare.size(), kShare) == 0) {
            taken.insert(*at);
            at = files.erase(at);
        } else {
            ++at;
        }
    }
    return taken;
}

TEST_F(SharedHistory, AWrongPassphraseIsRefusedAtOnceAndWritesNothing)
{
    SetUpPcs(2);
    std::mt19937 random(7);
    SyncService sync(Pcs(), random);
    std::wstring fingerprint;
    ASSERT_NO_FATAL_FAILURE(MakeShare(sync, fingerprint));
    EXPECT_EQ(fingerprint.size(), 19u);

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
    ASSERT_NO_FATAL_FAILURE(MakeShare(sync, fingerprint, 1));
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
    const auto kept = TakeShared(files.files, [](const auto& file) { return file.first; });
    const auto keptFolders = TakeShared(files.folders, [](const std::wstring& folder) { return folder; });
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
