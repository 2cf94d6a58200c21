#include "history/store/DurableHistory.h"

// Loading the data folder at start: its key, what can be read, the history and the journal over it.
#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "framework/CArchive.h"
#include "history/store/disk/DiskFile.h"
#include "history/store/disk/FileSteps.h"
#include "history/store/formats/CBitmapFile.h"
#include "history/store/ExtrasLoader.h"
#include "history/store/extras/ExtrasFormat.h"
#include "history/store/formats/FileNames.h"
#include "history/store/extras/FormatsRecord.h"
#include "history/store/formats/PictureFiles.h"
#include "history/store/journal/JournalReader.h"
#include "history/store/sealed/SealedExtras.h"
#include "history/store/sealed/SealedFolder.h"

namespace {

std::wstring Wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

// One journal record applied to the history, as the change it records was made.
void Apply(HistoryModel& model, const journal::Record& record)
{
    const EntryId first = record.ids.empty() ? 0 : record.ids[0];
    switch (record.op) {
    case journal::Op::InsertText:
    case journal::Op::InsertTextWithFormats: {
        HistoryEntry entry;
        entry.id = first;
        entry.captured = record.time;
        entry.text = std::make_shared<const std::wstring>(Wide(record.text));
        // Formats that do not read whole cost the entry its formats, never its text.
        entry.formats = DecodeEntryFormats(record.formats);
        model.Insert(std::move(entry));
        break;
    }
    case journal::Op::MoveBelowTopWithFormats:
        model.Recopy(first, DecodeEntryFormats(record.formats), record.time);
        break;
    case journal::Op::InsertPicture: {
        UniqueBitmap bitmap(CBitmapFile::LoadFromMemory(record.picture.data(), record.picture.size()));
        if (!bitmap)
            break;
        HistoryEntry entry;
        entry.id = first;
        entry.captured = record.time;
        entry.picture = std::make_shared<const EntryPicture>(std::move(bitmap), Wide(record.text));
        model.Insert(std::move(entry));
        break;
    }
    case journal::Op::Remove:
        model.Remove(record.ids);
        break;
    case journal::Op::SetTop:
        model.SetTop(record.ids);
        break;
    case journal::Op::MoveBelowTop:
        // A repeat that kept nothing beside its text: whatever the entry kept before goes.
        model.Recopy(first, nullptr, record.time);
        break;
    case journal::Op::Clear:
        model.Clear();
        break;
    }
}


std::set<std::wstring> PictureNames(disk::FileSystem& files, const std::wstring& folder,
                                    const std::map<std::wstring, std::wstring>& waiting)
{
    std::set<std::wstring> names = picture_files::In(files, folder);
    for (const auto& move : waiting) {
        if (picture_files::RecordOf(move.first) < 0)
            continue;
        if (move.second.empty())
            names.erase(move.first);
        else
            names.insert(move.first);
    }
    return names;
}

}  // namespace

void DurableHistory::OpenKey()
{
    m_form = StoreForm();
    m_setAside.clear();
    m_keepSealed = false;
    m_lostKey = LostKey::None;
    const SealedFolder::Opened opened = SealedFolder::OpenKey(m_files, Resolve(g_strKeyFileName));
    if (opened.error != ERROR_SUCCESS) {
        NoteUnread(g_strKeyFileName, opened.error);
        return;
    }
    if (opened.form.Sealed() && SealedFolder::Opens(m_files, opened.form, Resolve(opened.form.HistoryName()))) {
        m_form = opened.form;
        return;
    }
    std::vector<std::wstring> sealed;
    const DWORD listed = SealedFolder::SealedFiles(m_files, m_folder.read, sealed);
    if (listed != ERROR_SUCCESS) {
        NoteUnread(m_form.HistoryName(), listed);
        return;
    }
    // Those a waiting save removes are gone already.
    sealed.erase(std::remove_if(sealed.begin(), sealed.end(), [this](const std::wstring& name) { return Resolve(name).empty(); }),
                 sealed.end());
    if (sealed.empty())
        return;
    // Sealed files that no key here opens (the key missing, of another account or
    // machine, or of another folder) are never deleted or written over: they are
    // moved whole out of the way of a new history, or, when that cannot be done,
    // left where they are and kept out of every save.
    m_lostKey = opened.form.Sealed() || opened.unopenable ? LostKey::Unopenable : LostKey::Missing;
    DWORD error = ERROR_SUCCESS;
    m_setAside = SealedFolder::SetAside(m_files, m_folder.read, error);
    m_keepSealed = m_setAside.empty();
}

void DurableHistory::CheckReadable()
{
    // A file held by another program for a moment is waited for; one that stays
    // unreadable must not be taken for a missing one and saved over.
    std::vector<std::wstring> names = {g_strOptionsFileName, m_form.HistoryName(), m_form.ExtrasName()};
    if (m_form.Sealed())
        names.push_back(g_strHistoryFileName);
    for (const std::wstring& picture : PictureNames(m_files, m_folder.read, m_waiting))
        names.push_back(picture);
    for (const std::wstring& name : names) {
        if (!WaitUntilReadable(Resolve(name), name))
            return;
    }
    WaitUntilReadable(JournalPath(), m_form.JournalName());
}

bool DurableHistory::ReadAgain()
{
    if (!m_waitingToRead)
        return false;
    HistoryModel loaded;
    ClipOptions options = m_options;
    DurableHistory again(loaded, options, m_files);
    again.m_readAttempts = 1;
    again.SetFolder(m_folder);
    again.LoadOptions();
    again.LoadHistory();
    if (!again.m_unreadable.file.empty())
        return false;
    // The settings read now are the folder's, unless they could be read at the start.
    if (m_unreadable.file == g_strOptionsFileName)
        m_options = options;
    m_form = again.m_form;
    m_setAside = again.m_setAside;
    m_lostKey = again.m_lostKey;
    m_keepSealed = again.m_keepSealed;
    m_mergedOlder = again.m_mergedOlder;
    m_waiting = again.m_waiting;
    m_base = again.m_base;
    m_journalPath = again.m_journalPath;
    m_journalLength = again.m_journalLength;
    m_journalChain = again.m_journalChain;
    m_journalChained = again.m_journalChained;
    m_unreadable = SaveSet::Failure();
    m_waitingToRead = false;
    Merge(loaded);
    // The history on the disk now holds what was copied meanwhile, and goes on from here.
    m_needsFullSave = true;
    StartWriter();
    return true;
}

void DurableHistory::Merge(const HistoryModel& loaded)
{
    std::vector<HistoryEntry> rows;
    for (int row = 0; row < m_model.TopCount(); ++row)
        rows.push_back(m_model.At(row));
    for (int row = 0; row < loaded.TopCount(); ++row)
        rows.push_back(loaded.At(row));
    for (int row = m_model.TopCount(); row < m_model.Count(); ++row)
        rows.push_back(m_model.At(row));
    for (int row = loaded.TopCount(); row < loaded.Count(); ++row)
        rows.push_back(loaded.At(row));
    const int top = m_model.TopCount() + loaded.TopCount();
    m_model.BeginLoad();
    while (m_model.Count() > 0)
        m_model.DropLast();
    for (HistoryEntry& entry : rows)
        m_model.Append(std::move(entry));
    m_model.SetTopCount(top);
    m_model.Loaded();
}

bool DurableHistory::WaitUntilReadable(const std::wstring& path, const std::wstring& name)
{
    std::unique_ptr<disk::File> file;
    const DWORD error = disk::Patiently(
        m_files,
        [&] {
            return m_files.Open(path, disk::Access::Read, disk::kShareRead | disk::kShareWrite,
                                disk::Creation::OpenExisting, file);
        },
        m_readAttempts);
    if (error == ERROR_SUCCESS || disk::IsMissing(error))
        return true;
    NoteUnread(name, error);
    return false;
}

void DurableHistory::NoteUnread(const std::wstring& name, DWORD error)
{
    if (m_unreadable.file.empty())
        m_unreadable = {name, error};
}

void DurableHistory::TakeStoreFailure()
{
    const std::wstring& path = m_store.UnreadFile();
    if (!path.empty())
        NoteUnread(path.substr(path.find_last_of(L'\\') + 1), m_store.UnreadError());
}

std::wstring DurableHistory::Resolve(const std::wstring& name) const
{
    auto waiting = m_waiting.find(name);
    if (waiting == m_waiting.end())
        return m_folder.read + name;
    // A file that a waiting save removes is no longer there.
    return waiting->second.empty() ? std::wstring() : m_folder.read + waiting->second;
}

std::wstring DurableHistory::JournalPath() const
{
    // A start that read elsewhere and was ended before its first save left its changes where the history goes.
    const std::wstring kept = m_folder.write + m_form.JournalName();
    if (m_folder.read != m_folder.write && disk::Exists(m_files, kept))
        return kept;
    return Resolve(m_form.JournalName());
}

BOOL DurableHistory::LoadOptions()
{
    const std::wstring path = Resolve(g_strOptionsFileName);
    if (!disk::Exists(m_files, path)) {
        // Without its settings a history file still holds its entries: they are counted, not dropped.
        if (disk::Exists(m_files, Resolve(g_strHistoryFileName)))
            m_store.ForgetCount();
        return FALSE;
    }
    const BOOL loaded = m_store.LoadOptions(path.c_str());
    TakeStoreFailure();
    return loaded;
}

void DurableHistory::LoadHistory()
{
    m_model.BeginLoad();
    m_store.SetForm(m_form);
    const int plainCount = m_options.m_nEntryCount;
    if (m_form.Sealed()) {
        // The folder holds a sealed history, whatever settings an older version wrote.
        m_options.m_bEncrypt = 1;
        // Its records run to its end: the settings' count may be an older version's.
        m_store.ForgetCount();
    }
    m_journalLength = 0;
    m_journalPath = JournalPath();
    const int storedTop = m_options.m_nTopCount;
    DiskFile journalFile(m_files);
    if (!journalFile.Open(m_journalPath, CFile::modeRead | CFile::shareDenyNone)) {
        const DWORD error = journalFile.Error();
        if (!disk::IsMissing(error))
            NoteUnread(m_form.JournalName(), error);
    }
    CArchive journalArchive(&journalFile, CArchive::load, 1 << 16);
    journal::Reader reader(journalArchive, m_form.JournalOpener());
    journal::Header header;
    // Without a count from the settings the journal's ids are taken, and its count checked once the records are counted.
    const bool idsFit = journalFile.IsOpen() && reader.ReadStart(header) &&
                        (!m_store.CountKnown() || header.entryCount == m_options.m_nEntryCount);
    // The extras' map describes the history file's records as the journal does, which it outlives.
    ExtrasLoader extras(m_files, m_form, [this](const std::wstring& name) { return Resolve(name); }, m_folder.read);
    const DWORD extrasError = extras.Read();
    if (extrasError != ERROR_SUCCESS)
        NoteUnread(m_form.ExtrasName(), extrasError);

    // The full save first, its entries known by the ids the journal (or the map) gives them.
    const journal::Header* described = idsFit ? &header : extras.Description();
    m_store.LoadHistory(Resolve(m_form.HistoryName()).c_str(), described);
    TakeStoreFailure();
    m_base = journal::Header();
    m_base.entryCount = m_options.m_nEntryCount;
    m_base.recordIds = m_store.RecordIds();
    m_base.records = m_store.Records();
    // Described by its records: the whole file's CRC is summed only for a journal of an earlier version.
    m_base.historySize = m_store.FileSize();
    const int baseEntries = m_model.Count();
    extras.Apply(m_model, m_store);
    m_model.SetTopCount(std::clamp(storedTop, 0, baseEntries));

    bool replayedRemovals = false;
    // Then the changes since, unless the journal was kept over another full save (an older program's): it
    // applies over the very file it describes, or over the same records but one that a damaged byte changed.
    const bool sameRecords = described == &header && m_store.Described() && m_store.DamagedRecords() <= 1;
    const bool sameFile = !sameRecords && idsFit && header.records.empty() &&
                          header.historySize == m_base.historySize && header.historyCrc == m_store.WholeCrc();
    if (idsFit && header.entryCount == m_base.entryCount && (sameFile || sameRecords)) {
        journal::Record record;
        while (reader.ReadRecord(record) == journal::Reader::Next::Record) {
            // What the user removed before the program ended leaves the files now, not at the next exit.
            replayedRemovals = replayedRemovals || record.op == journal::Op::Remove || record.op == journal::Op::Clear;
            Apply(m_model, record);
        }
        m_journalLength = reader.GoodLength();
        m_journalChain = reader.Chain();
        m_journalChained = reader.Checked();
    }
    m_mergedOlder = false;
    if (m_form.Sealed() && (disk::Exists(m_files, Resolve(g_strHistoryFileName)) ||
                            disk::Exists(m_files, Resolve(g_strJournalFileName))))
        MergeOlderFiles(plainCount);
    const bool timesKnown = StampUnknownTimes();

    // What loading mends in the full save (records that gave no entry, a top
    // zone larger than the entries, damaged settings), and a history read from
    // elsewhere, go to disk at once.
    // A damaged record, or a folder sealed before sets were counted, is written anew too.
    const bool mended = static_cast<int>(m_base.recordIds.size()) < m_options.m_nEntryCount ||
                        m_store.DamagedRecords() > 0 || m_form.Legacy() ||
                        baseEntries < static_cast<int>(m_base.recordIds.size()) || storedTop < 0 ||
                        storedTop > baseEntries || (!m_store.CountKnown() && !m_form.Sealed()) || !timesKnown ||
                        m_mergedOlder || replayedRemovals;
    // A history that could not be read whole is not shown in part: what the user did to a part would be
    // undone when the whole is read later. What is copied now joins it then.
    if (!m_unreadable.file.empty()) {
        while (m_model.Count() > 0)
            m_model.DropLast();
        m_model.SetTopCount(0);
    }
    m_model.Loaded();
    m_needsFullSave = mended || m_folder.read != m_folder.write;
}

bool DurableHistory::StampUnknownTimes()
{
    // Entries whose time no file keeps count as captured at this, their first load.
    bool allKnown = true;
    const std::uint64_t now = UtcNow();
    for (int row = 0; row < m_model.Count(); ++row) {
        if (m_model.At(row).captured == 0) {
            m_model.SetCaptureTime(row, now);
            allKnown = false;
        }
    }
    return allKnown;
}

void DurableHistory::MergeOlderFiles(int plainCount)
{
    // An older version found no history it knew and wrote its own: its entries join the sealed ones.
    // Loaded as this program loads a plain folder, its journal replayed over it.
    ClipOptions options = m_options;
    options.m_nEntryCount = plainCount;
    HistoryModel plain;
    DurableHistory older(plain, options, m_files);
    older.m_folder = m_folder;
    older.m_waiting = m_waiting;
    older.LoadHistory();
    if (!older.m_unreadable.file.empty())
        NoteUnread(older.m_unreadable.file, older.m_unreadable.error);
    // A plain file a save could not remove holds what the sealed history has: no text comes twice.
    std::unordered_set<std::wstring> texts;
    for (int row = 0; row < m_model.Count(); ++row) {
        if (m_model.At(row).text)
            texts.insert(*m_model.At(row).text);
    }
    for (int row = 0; row < plain.Count(); ++row) {
        const HistoryEntry& entry = plain.At(row);
        if (!entry.text || texts.insert(*entry.text).second)
            m_model.Append(entry);
    }
    m_mergedOlder = true;
}
