#include "history/store/DurableHistory.h"

#include <algorithm>

#include "framework/CArchive.h"
#include "history/store/BitmapFileWriter.h"
#include "history/store/CBitmapFile.h"
#include "history/store/FileNames.h"

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
        model.MoveBelowTop(first);
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

}  // namespace

DurableHistory::DurableHistory(HistoryModel& model, ClipOptions& options)
    : m_model(model), m_options(options), m_store(model, options)
{
    m_model.AddListener([this](const HistoryChange& change) { Record(change); });
}

DurableHistory::~DurableHistory() = default;

void DurableHistory::SetFolder(DataFolder folder)
{
    m_folder = std::move(folder);
    m_waiting.clear();
    // A save whose moves are still blocked is read as it will stand.
    if (!SaveSet::Recover(m_folder.write, nullptr, &m_waiting) && m_folder.read != m_folder.write)
        m_waiting.clear();
    m_store.SetPicturePath([this](int record) { return Resolve(std::to_wstring(record) + L".dat"); });
    CheckReadable();
}

void DurableHistory::CheckReadable()
{
    // A file held by another program for a moment is waited for; one that stays
    // unreadable must not be taken for a missing one and saved over.
    m_unreadable = SaveSet::Failure();
    for (const wchar_t* name : {g_strOptionsFileName, g_strHistoryFileName, g_strJournalFileName}) {
        const std::wstring path = Resolve(name);
        for (int attempt = 0; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++attempt) {
            CFile file;
            if (file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
                break;
            if (attempt == kReadAttempts) {
                m_unreadable = {name, GetLastError()};
                return;
            }
            Sleep(kReadPauseMs);
        }
    }
}

std::wstring DurableHistory::Resolve(const std::wstring& name) const
{
    auto waiting = m_waiting.find(name);
    return m_folder.read + (waiting == m_waiting.end() ? name : waiting->second);
}

BOOL DurableHistory::LoadOptions()
{
    const std::wstring path = Resolve(g_strOptionsFileName);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    return m_store.LoadOptions(path.c_str());
}

void DurableHistory::LoadHistory()
{
    m_model.BeginLoad();
    m_journalLength = 0;
    const int storedTop = m_options.m_nTopCount;
    CFile journalFile;
    journalFile.Open(Resolve(g_strJournalFileName).c_str(), CFile::modeRead | CFile::shareDenyNone);
    CArchive journalArchive(&journalFile, CArchive::load, 1 << 16);
    journal::Reader reader(journalArchive);
    journal::Header header;
    const bool haveJournal = journalFile.IsOpen() && reader.ReadStart(header) &&
                             header.entryCount == m_options.m_nEntryCount;

    // The full save first, its entries known by the ids the journal gives them.
    m_store.LoadHistory(Resolve(g_strHistoryFileName).c_str(), haveJournal ? &header.recordIds : nullptr);
    m_base = journal::Header();
    m_base.entryCount = m_options.m_nEntryCount;
    m_base.recordIds = m_store.RecordIds();
    m_base.historySize = m_store.FileSize();
    m_base.historyCrc = m_store.FileCrc();
    const int baseEntries = m_model.Count();
    m_model.SetTopCount(std::clamp(storedTop, 0, baseEntries));

    // Then the changes since, unless the journal was kept over another full
    // save (an older program's): then it does not apply.
    if (haveJournal && header.historySize == m_base.historySize && header.historyCrc == m_base.historyCrc) {
        journal::Record record;
        while (reader.ReadRecord(record) == journal::Reader::Next::Record)
            Apply(m_model, record);
        m_journalLength = reader.GoodLength();
    }

    // What loading mends in the full save (records that gave no entry, a top
    // zone larger than the entries), and a history read from elsewhere, go to disk at once.
    const bool mended = static_cast<int>(m_base.recordIds.size()) < m_options.m_nEntryCount ||
                        baseEntries < static_cast<int>(m_base.recordIds.size()) || storedTop < 0 ||
                        storedTop > baseEntries;
    m_model.Loaded();
    m_needsFullSave = mended || m_folder.read != m_folder.write;
}

void DurableHistory::Report(const JournalWriter::Report& report)
{
    {
        std::lock_guard<std::mutex> lock(m_reportsMutex);
        m_reports.push_back(report);
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
    const bool sameFolder = m_folder.read == m_folder.write;
    m_writer->Start(m_base, m_options.m_nTopCount, Resolve(g_strJournalFileName), sameFolder ? m_journalLength : 0,
                    !m_waiting.empty());
    if (m_needsFullSave)
        SaveFull();
}

void DurableHistory::Record(const HistoryChange& change)
{
    if (!m_writer || change.kind == HistoryChange::Kind::Reset)
        return;
    journal::Record record;
    record.op = OpOf(change.kind, change.entry);
    record.ids = change.ids;
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
    m_writer->Append(std::move(record), change.entry ? *change.entry : HistoryEntry());
}

void DurableHistory::SaveOptions()
{
    if (m_writer)
        m_writer->SaveOptions(m_options);
}

void DurableHistory::SaveFull()
{
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
