#include "history/store/DurableHistory.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "framework/CArchive.h"
#include "history/store/BitmapFileWriter.h"
#include "history/store/CBitmapFile.h"
#include "history/store/ExtrasFormat.h"
#include "history/store/FileNames.h"
#include "history/store/PictureFiles.h"

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
    case journal::Op::InsertText: {
        HistoryEntry entry;
        entry.id = first;
        entry.captured = record.time;
        entry.text = std::make_shared<const std::wstring>(Wide(record.text));
        model.Insert(std::move(entry));
        break;
    }
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
        model.MoveBelowTop(first, record.time);
        break;
    case journal::Op::Clear:
        model.Clear();
        break;
    }
}

journal::Op OpOf(HistoryChange::Kind kind, const HistoryEntry* entry)
{
    switch (kind) {
    case HistoryChange::Kind::Insert:
        return entry && entry->IsPicture() ? journal::Op::InsertPicture : journal::Op::InsertText;
    case HistoryChange::Kind::Remove:
        return journal::Op::Remove;
    case HistoryChange::Kind::SetTop:
        return journal::Op::SetTop;
    case HistoryChange::Kind::MoveBelowTop:
        return journal::Op::MoveBelowTop;
    default:
        return journal::Op::Clear;
    }
}

// The picture files of the folder ("N.dat"), with those a waiting save brings.
std::set<std::wstring> PictureNames(const std::wstring& folder, const std::map<std::wstring, std::wstring>& waiting)
{
    std::set<std::wstring> names = picture_files::In(folder);
    for (const auto& move : waiting) {
        if (picture_files::RecordOf(move.first) >= 0)
            names.insert(move.first);
    }
    return names;
}

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

DurableHistory::DurableHistory(HistoryModel& model, ClipOptions& options)
    : m_model(model), m_options(options), m_store(model, options)
{
    m_model.AddListener([this](const HistoryChange& change) { Record(change); });
}

DurableHistory::~DurableHistory()
{
    // Jobs still queued report as the writer ends: the members they report into must outlive it.
    m_writer.reset();
}

void DurableHistory::SetFolder(DataFolder folder)
{
    m_folder = std::move(folder);
    m_waiting.clear();
    // A save whose moves are still blocked is read as it will stand.
    SaveSet::Failure failure;
    if (!SaveSet::Recover(m_folder.write, &failure, &m_waiting) && m_folder.read != m_folder.write)
        m_waiting.clear();
    m_store.SetPicturePath([this](int record) { return Resolve(std::to_wstring(record) + L".dat"); });
    CheckReadable();
    // An intent that could not be read (or names other files) may stand for a half-moved set:
    // nothing is written over it.
    if (failure.file == SaveSet::kIntentName)
        NoteUnread(failure.file, failure.error);
}

void DurableHistory::CheckReadable()
{
    // A file held by another program for a moment is waited for; one that stays
    // unreadable must not be taken for a missing one and saved over.
    m_unreadable = SaveSet::Failure();
    std::vector<std::wstring> names = {g_strOptionsFileName, g_strHistoryFileName, g_strExtrasFileName};
    for (const std::wstring& picture : PictureNames(m_folder.read, m_waiting))
        names.push_back(picture);
    for (const std::wstring& name : names) {
        if (!WaitUntilReadable(Resolve(name), name))
            return;
    }
    WaitUntilReadable(JournalPath(), g_strJournalFileName);
}

bool DurableHistory::WaitUntilReadable(const std::wstring& path, const std::wstring& name)
{
    for (int attempt = 0; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++attempt) {
        CFile file;
        if (file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
            return true;
        if (attempt == kReadAttempts) {
            NoteUnread(name, GetLastError());
            return false;
        }
        Sleep(kReadPauseMs);
    }
    return true;
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
    return m_folder.read + (waiting == m_waiting.end() ? name : waiting->second);
}

std::wstring DurableHistory::JournalPath() const
{
    // A start that read elsewhere and was ended before its first save left its changes where the history goes.
    const std::wstring kept = m_folder.write + g_strJournalFileName;
    if (m_folder.read != m_folder.write && GetFileAttributesW(kept.c_str()) != INVALID_FILE_ATTRIBUTES)
        return kept;
    return Resolve(g_strJournalFileName);
}

BOOL DurableHistory::LoadOptions()
{
    const std::wstring path = Resolve(g_strOptionsFileName);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Without its settings a history file still holds its entries: they are counted, not dropped.
        if (GetFileAttributesW(Resolve(g_strHistoryFileName).c_str()) != INVALID_FILE_ATTRIBUTES)
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
    m_journalLength = 0;
    m_journalPath = JournalPath();
    const int storedTop = m_options.m_nTopCount;
    CFile journalFile;
    if (!journalFile.Open(m_journalPath.c_str(), CFile::modeRead | CFile::shareDenyNone)) {
        const DWORD error = GetLastError();
        if (!IsMissing(error))
            NoteUnread(g_strJournalFileName, error);
    }
    CArchive journalArchive(&journalFile, CArchive::load, 1 << 16);
    journal::Reader reader(journalArchive);
    journal::Header header;
    // Without a count from the settings the journal's ids are taken, and its count checked once the records are counted.
    const bool idsFit = journalFile.IsOpen() && reader.ReadStart(header) &&
                        (!m_store.CountKnown() || header.entryCount == m_options.m_nEntryCount);

    // The full save first, its entries known by the ids the journal gives them.
    m_store.LoadHistory(Resolve(g_strHistoryFileName).c_str(), idsFit ? &header.recordIds : nullptr);
    TakeStoreFailure();
    m_base = journal::Header();
    m_base.entryCount = m_options.m_nEntryCount;
    m_base.recordIds = m_store.RecordIds();
    m_base.historySize = m_store.FileSize();
    m_base.historyCrc = m_store.FileCrc();
    const int baseEntries = m_model.Count();
    const bool timesKnown = LoadCaptureTimes();
    m_model.SetTopCount(std::clamp(storedTop, 0, baseEntries));

    // Then the changes since, unless the journal was kept over another full
    // save (an older program's): then it does not apply.
    if (idsFit && header.entryCount == m_base.entryCount && header.historySize == m_base.historySize &&
        header.historyCrc == m_base.historyCrc) {
        journal::Record record;
        while (reader.ReadRecord(record) == journal::Reader::Next::Record)
            Apply(m_model, record);
        m_journalLength = reader.GoodLength();
    }

    // What loading mends in the full save (records that gave no entry, a top
    // zone larger than the entries, damaged settings), and a history read from
    // elsewhere, go to disk at once.
    const bool mended = static_cast<int>(m_base.recordIds.size()) < m_options.m_nEntryCount ||
                        baseEntries < static_cast<int>(m_base.recordIds.size()) || storedTop < 0 ||
                        storedTop > baseEntries || !m_store.CountKnown() || !timesKnown;
    m_model.Loaded();
    m_needsFullSave = mended || m_folder.read != m_folder.write;
}

bool DurableHistory::LoadCaptureTimes()
{
    // The extras belong to exactly the history file read: one an older version wrote over has other records.
    extras::File file;
    std::vector<BYTE> bytes;
    if (ReadWholeFile(Resolve(g_strExtrasFileName).c_str(), bytes) &&
        extras::Decode(bytes.data(), bytes.size(), file) && file.historySize == m_store.FileSize() &&
        file.historyCrc == m_store.FileCrc()) {
        std::unordered_map<EntryId, int> rows;
        for (int row = 0; row < m_model.Count(); ++row)
            rows.emplace(m_model.At(row).id, row);
        const std::vector<EntryId>& ids = m_store.RecordIds();
        for (const auto& record : file.records) {
            auto row = record.first < ids.size() ? rows.find(ids[record.first]) : rows.end();
            if (row != rows.end())
                m_model.SetCaptureTime(row->second, record.second.captured);
        }
    }
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

void DurableHistory::Report(const JournalWriter::Report& report)
{
    {
        std::lock_guard<std::mutex> lock(m_reportsMutex);
        m_reports.push_back(report);
        if (report.kind == JournalWriter::Report::Kind::SaveFailed)
            m_lastSaveFailure = {report.file, report.error};
        else if (report.kind == JournalWriter::Report::Kind::Saved)
            m_lastSaveFailure = SaveSet::Failure();
    }
    PostMessageW(m_window, kReportsMessage, 0, 0);
}

void DurableHistory::Start(HWND window, int screenDepth)
{
    m_window = window;
    if (!m_unreadable.file.empty()) {
        // Nothing is written over a history that could not be read.
        Report({JournalWriter::Report::Kind::ReadFailed, m_unreadable.file, m_unreadable.error});
        return;
    }
    JournalWriter::Callbacks callbacks;
    callbacks.report = [this](const JournalWriter::Report& report) { Report(report); };
    callbacks.fullSaveWanted = [this] { PostMessageW(m_window, kFullSaveMessage, 0, 0); };
    m_writer = std::make_unique<JournalWriter>(m_folder.write, screenDepth, std::move(callbacks));
    // A journal replayed from where the history goes is gone on with, never emptied.
    const bool journalKept = m_journalPath.compare(0, m_folder.write.size(), m_folder.write) == 0;
    m_writer->Start(m_base, m_options.m_nTopCount, m_journalPath, journalKept ? m_journalLength : 0,
                    !m_waiting.empty());
    if (m_needsFullSave)
        SaveFull();
}

void DurableHistory::Record(const HistoryChange& change)
{
    if (!m_writer || change.kind == HistoryChange::Kind::Reset)
        return;
    // What the user removed leaves the disk at once: the journal still holds it until a full save.
    // Entries that only fell off the end of a full history wait for the next one.
    const bool removedByUser = (change.kind == HistoryChange::Kind::Remove && !change.capped) ||
                               change.kind == HistoryChange::Kind::Clear;
    if (removedByUser && !m_foldPosted)
        m_foldPosted = PostMessageW(m_window, kFullSaveMessage, 0, 0) != FALSE;
    journal::Record record;
    record.op = OpOf(change.kind, change.entry);
    record.ids = change.ids;
    // An insert or a repeat carries the entry's capture time, which a replay gives back.
    if (change.entry)
        record.time = change.entry->captured;
    if (record.op == journal::Op::InsertPicture) {
        // The writer gets the pixels as they are now, never the bitmap the popup goes on using.
        const std::wstring& label = change.entry->picture->Label();
        record.text.assign(label.begin(), label.end());
        std::vector<BYTE> file;
        if (EncodeBitmapFile(change.entry->picture->Bitmap(), m_writer->ScreenDepth(), file))
            record.picture.assign(file.begin(), file.end());
        m_writer->Append(std::move(record));
        return;
    }
    const bool insert = change.kind == HistoryChange::Kind::Insert && change.entry;
    m_writer->Append(std::move(record), insert ? *change.entry : HistoryEntry());
}

void DurableHistory::SaveOptions()
{
    if (m_writer)
        m_writer->SaveOptions(m_options);
}

void DurableHistory::SaveFull()
{
    m_foldPosted = false;
    if (m_writer)
        m_writer->SaveFull(Snapshot());
}

bool DurableHistory::SaveAtExit()
{
    if (!m_writer)
        return false;
    const bool saved = m_writer->Finish(Snapshot());
    m_writer.reset();
    return saved;
}

SaveSet::Failure DurableHistory::LastSaveFailure()
{
    std::lock_guard<std::mutex> lock(m_reportsMutex);
    return m_lastSaveFailure;
}

std::vector<JournalWriter::Report> DurableHistory::TakeReports()
{
    std::vector<JournalWriter::Report> reports;
    std::lock_guard<std::mutex> lock(m_reportsMutex);
    reports.swap(m_reports);
    return reports;
}

SaveSnapshot DurableHistory::Snapshot() const
{
    SaveSnapshot snapshot;
    const int depth = m_writer ? m_writer->ScreenDepth() : ScreenColorDepth();
    snapshot.history.entries.reserve(static_cast<size_t>(m_model.Count()));
    snapshot.pictureFiles.resize(static_cast<size_t>(m_model.Count()));
    for (int row = 0; row < m_model.Count(); ++row) {
        const HistoryEntry& entry = m_model.At(row);
        snapshot.history.entries.push_back(entry);
        // A picture whose pixels cannot be read is left out of the save, and counted.
        if (entry.IsPicture() &&
            !EncodeBitmapFile(entry.picture->Bitmap(), depth, snapshot.pictureFiles[static_cast<size_t>(row)]))
            snapshot.pictureFiles[static_cast<size_t>(row)].clear();
    }
    snapshot.history.topCount = m_model.TopCount();
    snapshot.history.options = m_options;
    return snapshot;
}
