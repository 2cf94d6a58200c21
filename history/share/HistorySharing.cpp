#include "history/share/HistorySharing.h"

#include <algorithm>
#include <map>

#include "history/share/ShareNames.h"
#include "history/store/disk/FileSteps.h"

namespace {

std::wstring FolderOf(const ClipOptions& options)
{
    return std::wstring(options.m_strShareFolder.GetString(), static_cast<size_t>(options.m_strShareFolder.GetLength()));
}

}  // namespace

HistorySharing::HistorySharing(HistoryModel& model, const ClipOptions& options, disk::FileSystem& files,
                               HybridClock::WallClock wall, std::wstring pcName)
    : m_model(model), m_options(options), m_files(files), m_wall(std::move(wall)), m_pcName(std::move(pcName))
{
    m_model.AddListener([this](const HistoryChange& change) { OnChange(change); });
}

std::wstring HistorySharing::Folder() const
{
    return FolderOf(m_options);
}

std::wstring HistorySharing::PcName() const
{
    if (!m_pcName.empty())
        return m_pcName;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

HistorySharing::Setup HistorySharing::Prepare(const std::wstring& folder, const std::wstring& passphrase,
                                              std::wstring& fingerprint)
{
    disk::Attributes attributes;
    if (folder.empty() || m_files.GetAttributes(folder, attributes) != ERROR_SUCCESS || !attributes.folder)
        return Setup::FolderUnreachable;
    const std::wstring root = sharenames::Root(folder);
    const std::wstring keyPath = root + sharenames::KeyFileName();
    ShareLocalFiles local(m_files, m_dataFolder);
    ShareId pc;
    std::unique_ptr<ShareKey> held;
    if (!local.LoadKey(pc, held) && !local.LoadPcId(pc))
        pc = ShareId::Random();

    std::vector<BYTE> keyFile;
    const DWORD read = disk::ReadWhole(m_files, keyPath, keyFile, 1 << 16);
    std::unique_ptr<ShareKey> key;
    if (read == ERROR_SUCCESS) {
        if (held && held->Opens(keyFile) && passphrase.empty()) {
            key = std::move(held);
        } else {
            if (passphrase.empty())
                return Setup::NeedPassphrase;
            const ShareKey::JoinResult joined = ShareKey::Join(passphrase, keyFile, key);
            if (joined == ShareKey::JoinResult::WrongPassphrase)
                return Setup::WrongPassphrase;
            if (joined != ShareKey::JoinResult::Opened)
                return Setup::Failed;
        }
    } else if (disk::IsMissing(read)) {
        if (passphrase.empty())
            return Setup::NeedPassphrase;
        std::vector<std::uint8_t> bytes;
        key = ShareKey::Create(passphrase, bytes);
        if (!key)
            return Setup::Failed;
        const DWORD made = m_files.CreateFolder(root.substr(0, root.size() - 1));
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS)
            return Setup::FolderUnreachable;
        // Made under a name of this PC's, then moved in only when no other PC's key got there first.
        const std::wstring temp = root + L"share.key." + pc.Hex() + L".tmp";
        std::unique_ptr<disk::File> file;
        DWORD error = m_files.Open(temp, disk::Access::Write, disk::kShareNone, disk::Creation::CreateAlways, file);
        if (error == ERROR_SUCCESS)
            error = file->WriteAt(0, bytes.data(), bytes.size());
        if (error == ERROR_SUCCESS)
            error = file->Flush();
        file.reset();
        if (error == ERROR_SUCCESS)
            error = m_files.Move(temp, keyPath, false);
        if (error != ERROR_SUCCESS) {
            m_files.Delete(temp);
            return error == ERROR_ALREADY_EXISTS ? Prepare(folder, passphrase, fingerprint) : Setup::FolderUnreachable;
        }
    } else {
        return Setup::FolderUnreachable;
    }
    if (local.SaveKey(pc, *key) != ERROR_SUCCESS)
        return Setup::Failed;
    fingerprint = key->Fingerprint();
    return Setup::Ready;
}

std::wstring HistorySharing::Fingerprint() const
{
    if (m_key)
        return m_key->Fingerprint();
    ShareId pc;
    std::unique_ptr<ShareKey> key;
    return ShareLocalFiles(m_files, m_dataFolder).LoadKey(pc, key) ? key->Fingerprint() : std::wstring();
}

bool HistorySharing::Start()
{
    if (m_running || !m_options.m_bShare || m_options.m_strShareFolder.IsEmpty())
        return false;
    if (!ShareLocalFiles(m_files, m_dataFolder).LoadKey(m_pc, m_key)) {
        Raise(Problem::NoKey);
        return false;
    }
    m_clock = std::make_unique<HybridClock>(m_pc, m_wall);
    m_folder = std::make_unique<ShareFolder>(m_files, FolderOf(m_options), m_pc, PcName(), *m_key);
    LoadBook();
    m_readOwn = false;
    OpenFolder();
    m_running = true;
    Reconcile();
    const bool changed = Reflect();
    // Whatever did not reach the folder before (and what just joined) goes out whole.
    m_needSnapshot = true;
    m_stateDirty = true;
    return changed;
}

void HistorySharing::Stop()
{
    Finish();
    m_running = false;
    m_folder.reset();
    m_key.reset();
    m_clock.reset();
    m_book = ShareBook();
    m_known.clear();
    m_pending.clear();
    m_queued.clear();
    m_problem = m_told = Problem::None;
}

void HistorySharing::LoadBook()
{
    m_book = ShareBook();
    m_known.clear();
    ShareState state;
    if (ShareLocalFiles(m_files, m_dataFolder).LoadState(*m_key, m_pc, state)) {
        for (const ShareOp& op : state.shared)
            m_book.Apply(op);
        for (const ShareOp& op : state.localOnly)
            m_book.AddLocalOnly(op.entry, op.stamp, op.captured, op.text, 0);
        m_folder->LoadPositions(state.positions.data(), state.positions.size());
    }
    m_clock->Observe(m_book.Latest());
}

void HistorySharing::Reconcile()
{
    // Entries match the book by text, in order; a picture cannot match and stays here.
    std::map<TextHash, std::vector<ShareId>> unlinked;
    for (const BookEntry* entry : m_book.View(false))
        if (entry->text && !entry->local)
            unlinked[entry->Hash()].push_back(entry->id);
    m_applying = true;
    std::uint64_t previous = 0;
    for (int row = m_model.Count() - 1; row >= 0; --row) {
        const HistoryEntry& entry = m_model.At(row);
        if (m_book.FindLocal(entry.id))
            continue;
        if (entry.text) {
            auto match = unlinked.find(HashOfText(*entry.text));
            if (match != unlinked.end() && !match->second.empty()) {
                m_book.Link(match->second.front(), entry.id);
                match->second.erase(match->second.begin());
                m_known.insert(entry.id);
                continue;
            }
        }
        // Joins the book as copied when it was captured, after any Clear All it has not seen.
        Stamp stamp{std::max({entry.captured / 10000, previous + 1, m_book.ClearedBefore().time + 1}), 0, m_pc};
        previous = stamp.time;
        m_clock->Observe(stamp);
        const ShareId id = ShareId::Random();
        const bool shared = entry.text && !entry.keepHere;
        if (shared) {
            Emit({OpKind::Copy, stamp, id, entry.captured, entry.text}, true);
            m_book.Link(id, entry.id);
        } else {
            m_book.AddLocalOnly(id, stamp, entry.captured, entry.text, entry.id);
        }
        m_known.insert(entry.id);
    }
    // Pins in row order, so the top zone stays as it is.
    for (int row = 0; row < m_model.TopCount(); ++row) {
        const BookEntry* entry = m_book.FindLocal(m_model.At(row).id);
        if (entry && entry->pinned.IsZero())
            Emit({OpKind::Pin, m_clock->Next(), entry->id, 0, nullptr}, entry->shared);
    }
    m_applying = false;
}

bool HistorySharing::Reflect()
{
    std::vector<const BookEntry*> view = m_book.View(m_options.m_bNoRepeats != 0);
    if (view.size() > static_cast<size_t>(std::max(m_model.MaxEntries(), 0)))
        view.resize(static_cast<size_t>(std::max(m_model.MaxEntries(), 0)));
    std::unordered_set<EntryId> shown;
    for (const BookEntry* entry : view)
        if (entry->local)
            shown.insert(entry->local);
    m_applying = true;
    bool changed = false;
    // What the book no longer shows leaves; an entry the book never knew stays.
    std::vector<EntryId> leaving;
    for (int row = 0; row < m_model.Count(); ++row) {
        const EntryId id = m_model.At(row).id;
        if (!shown.count(id) && m_known.count(id))
            leaving.push_back(id);
    }
    if (!leaving.empty()) {
        for (EntryId id : leaving) {
            if (const BookEntry* entry = m_book.FindLocal(id))
                m_book.Link(entry->id, 0);
            m_known.erase(id);
        }
        m_model.Remove(leaving);
        changed = true;
    }
    std::vector<EntryId> order;
    std::vector<HistoryEntry> added;
    int pinned = 0;
    for (const BookEntry* entry : view) {
        if (!entry->local && entry->text) {
            HistoryEntry joining;
            joining.id = m_model.NewId();
            joining.text = entry->text;
            joining.captured = entry->captured;
            m_book.Link(entry->id, joining.id);
            m_known.insert(joining.id);
            added.push_back(std::move(joining));
        }
        if (!entry->local)
            continue;
        order.push_back(entry->local);
        if (!entry->pinned.IsZero())
            ++pinned;
    }
    changed = m_model.Arrange(order, pinned, std::move(added)) || changed;
    m_applying = false;
    return changed;
}

void HistorySharing::Emit(const ShareOp& op, bool shared)
{
    m_book.Apply(op);
    m_stateDirty = true;
    if (!shared)
        return;
    m_pending.push_back(op);
    // Away from the folder for long: the next snapshot carries it all.
    if (m_pending.size() > kMaxPending) {
        m_pending.clear();
        m_needSnapshot = true;
    }
}

void HistorySharing::OnChange(const HistoryChange& change)
{
    if (!m_running || m_applying || change.kind == HistoryChange::Kind::Reset)
        return;
    Queued queued{change.kind, change.ids, change.capped, change.entry ? *change.entry : HistoryEntry()};
    m_queued.push_back(std::move(queued));
}

void HistorySharing::Drain()
{
    if (!m_running)
        return;
    std::vector<Queued> queued;
    queued.swap(m_queued);
    for (const Queued& change : queued)
        Record(change);
}

void HistorySharing::Record(const Queued& change)
{
    switch (change.kind) {
    case HistoryChange::Kind::Insert: {
        const HistoryEntry& entry = change.entry;
        const ShareId id = ShareId::Random();
        const Stamp stamp = m_clock->Next();
        if (entry.IsPicture() || entry.keepHere || !entry.text) {
            m_book.AddLocalOnly(id, stamp, entry.captured, entry.text, entry.id);
            m_stateDirty = true;
        } else {
            Emit({OpKind::Copy, stamp, id, entry.captured, entry.text}, true);
            m_book.Link(id, entry.id);
        }
        m_known.insert(entry.id);
        break;
    }
    case HistoryChange::Kind::Remove:
        for (EntryId local : change.ids) {
            const BookEntry* entry = m_book.FindLocal(local);
            m_known.erase(local);
            if (!entry)
                continue;
            const ShareId id = entry->id;
            if (change.capped || !entry->shared) {
                m_book.Drop(id);
                m_stateDirty = true;
                continue;
            }
            // Under "No repeats" the same text from other PCs was hidden behind this one: it goes too.
            std::vector<ShareId> gone = m_book.SameText(*entry);
            gone.erase(std::remove_if(gone.begin(), gone.end(),
                                      [this](const ShareId& other) {
                                          const BookEntry* same = m_book.Find(other);
                                          return !same || same->local || !same->shared;
                                      }),
                       gone.end());
            gone.insert(gone.begin(), id);
            for (const ShareId& each : gone)
                Emit({OpKind::Remove, m_clock->Next(), each, 0, nullptr}, true);
        }
        break;
    case HistoryChange::Kind::SetTop:
        for (EntryId local : change.ids)
            if (const BookEntry* entry = m_book.FindLocal(local))
                Emit({OpKind::Pin, m_clock->Next(), entry->id, 0, nullptr}, entry->shared);
        break;
    case HistoryChange::Kind::MoveBelowTop:
        if (const BookEntry* entry = m_book.FindLocal(change.ids.front()))
            Emit({OpKind::Copy, m_clock->Next(), entry->id, change.entry.captured, entry->text}, entry->shared);
        break;
    case HistoryChange::Kind::Clear:
        Emit({OpKind::ClearBefore, m_clock->Next(), ShareId(), 0, nullptr}, true);
        m_known.clear();
        break;
    case HistoryChange::Kind::Reset:
        break;
    }
}

bool HistorySharing::OpenFolder()
{
    if (!m_folder->IsOpen() && m_folder->Open() != ERROR_SUCCESS)
        return false;
    if (m_readOwn)
        return true;
    std::vector<ShareOp> ops;
    if (m_folder->ReadOwn(ops) != ERROR_SUCCESS)
        return false;
    m_readOwn = true;
    for (const ShareOp& op : ops) {
        m_clock->Observe(op.stamp);
        m_stateDirty = m_book.Apply(op) || m_stateDirty;
    }
    return true;
}

bool HistorySharing::FolderKeyStillOurs()
{
    std::vector<BYTE> keyFile;
    const std::wstring path = sharenames::Root(FolderOf(m_options)) + sharenames::KeyFileName();
    // A key file not here yet (or not downloaded) is no sign of another key.
    if (disk::ReadWhole(m_files, path, keyFile, 1 << 16) != ERROR_SUCCESS)
        return true;
    return m_key->Opens(keyFile);
}

void HistorySharing::WriteOut()
{
    if (m_needSnapshot || m_folder->SegmentsSinceSnapshot() >= kSegmentsPerSnapshot) {
        if (m_folder->WriteSnapshot(m_book.SharedOps()) != ERROR_SUCCESS) {
            Raise(Problem::FolderUnreachable);
            return;
        }
        m_pending.clear();
        m_needSnapshot = false;
        m_lastShared = UtcNow();
        return;
    }
    if (m_pending.empty())
        return;
    if (m_folder->Append(m_pending) != ERROR_SUCCESS) {
        Raise(Problem::FolderUnreachable);
        return;
    }
    m_pending.clear();
    m_lastShared = UtcNow();
}

bool HistorySharing::Tick(bool readOthers)
{
    if (!m_running)
        return false;
    Drain();
    bool changed = false;
    const bool ownRead = m_readOwn;
    if (!OpenFolder()) {
        Raise(Problem::FolderUnreachable);
    } else if (readOthers && !FolderKeyStillOurs()) {
        // Nothing goes out sealed with a key the other PCs no longer use.
        m_keyChanged = true;
        Raise(Problem::KeyChanged);
    } else {
        m_keyChanged = false;
        const Problem before = m_problem;
        m_problem = Problem::None;
        // What this PC wrote before it found the folder again may change what it shows.
        if (!ownRead)
            changed = Reflect();
        WriteOut();
        std::vector<ShareOp> ops;
        if (readOthers && m_folder->ReadOthers(ops) != ERROR_SUCCESS) {
            Raise(Problem::FolderUnreachable);
        } else if (readOthers) {
            bool merged = false;
            for (const ShareOp& op : ops) {
                m_clock->Observe(op.stamp);
                merged = m_book.Apply(op) || merged;
            }
            if (merged) {
                changed = Reflect() || changed;
                m_stateDirty = true;
            }
            if (!ops.empty())
                m_lastShared = UtcNow();
            for (const auto& peer : m_folder->Peers())
                if (peer.second.wrongKey)
                    Raise(Problem::WrongKey, peer.second.name);
        }
        if (!readOthers && m_problem == Problem::None)
            m_problem = before;
        if (m_problem == Problem::None)
            m_told = Problem::None;
    }
    // A tick that merged leaves keeping the state to the next one: the merge is what the user waits for.
    if (m_stateDirty && !changed)
        SaveState();
    return changed;
}

void HistorySharing::Finish()
{
    if (!m_running)
        return;
    Drain();
    if (!m_keyChanged && m_readOwn && OpenFolder())
        WriteOut();
    SaveState();
}

void HistorySharing::SaveState()
{
    ShareState state;
    m_folder->SavePositions(state.positions);
    state.shared = m_book.SharedOps();
    state.localOnly = m_book.LocalOnlyCopies();
    if (ShareLocalFiles(m_files, m_dataFolder).SaveState(*m_key, m_pc, state) == ERROR_SUCCESS)
        m_stateDirty = false;
}

int HistorySharing::PcCount() const
{
    int count = 1;
    if (m_folder)
        for (const auto& peer : m_folder->Peers())
            count += peer.second.read && !peer.second.wrongKey ? 1 : 0;
    return count;
}

void HistorySharing::Raise(Problem problem, const std::wstring& pcName)
{
    m_problem = problem;
    m_problemPc = pcName;
}

HistorySharing::Problem HistorySharing::TakeProblem(std::wstring& pcName)
{
    if (m_problem == Problem::None || m_problem == m_told)
        return Problem::None;
    m_told = m_problem;
    pcName = m_problemPc;
    return m_problem;
}
