#include "history/store/DurableHistory.h"

#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/formats/FileNames.h"
#include "history/store/sealed/SealedFolder.h"

namespace {

journal::Op OpOf(HistoryChange::Kind kind, const HistoryEntry* entry)
{
    switch (kind) {
    case HistoryChange::Kind::Insert:
        if (entry && entry->IsPicture())
            return journal::Op::InsertPicture;
        return entry && entry->formats ? journal::Op::InsertTextWithFormats : journal::Op::InsertText;
    case HistoryChange::Kind::Remove:
        return journal::Op::Remove;
    case HistoryChange::Kind::SetTop:
        return journal::Op::SetTop;
    case HistoryChange::Kind::MoveBelowTop:
        return entry && entry->formats ? journal::Op::MoveBelowTopWithFormats : journal::Op::MoveBelowTop;
    default:
        return journal::Op::Clear;
    }
}

// The picture files of the folder ("N.dat"), with those a waiting save brings.
}  // namespace

DurableHistory::DurableHistory(HistoryModel& model, ClipOptions& options, disk::FileSystem& files)
    : m_model(model), m_options(options), m_files(files), m_store(model, options, files)
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
    m_unreadable = SaveSet::Failure();
    // A save whose moves are still blocked is read as it will stand.
    SaveSet::Failure failure;
    if (!SaveSet::Recover(m_folder.write, &failure, &m_waiting, disk::MoveWait::AboutASecond, m_files) &&
        m_folder.read != m_folder.write)
        m_waiting.clear();
    m_store.SetPicturePath([this](int record) { return Resolve(m_form.PictureName(record)); });
    OpenKey();
    CheckReadable();
    // An intent that could not be read (or names other files) may stand for a half-moved set:
    // nothing is written over it.
    if (failure.file == SaveSet::kIntentName)
        NoteUnread(failure.file, failure.error);
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
    m_notify(kReportsMessage);
}

void DurableHistory::Start(HWND window, int screenDepth)
{
    Start([window](UINT message) { PostMessageW(window, message, 0, 0); }, screenDepth, JournalWriter::Driver());
}

void DurableHistory::Pump()
{
    if (m_writer)
        m_writer->Pump();
}

void DurableHistory::Abandon()
{
    if (m_writer)
        m_writer->Abandon();
    m_writer.reset();
}

void DurableHistory::Start(Notify notify, int screenDepth, JournalWriter::Driver driver)
{
    m_notify = std::move(notify);
    m_screenDepth = screenDepth;
    m_driver = std::move(driver);
    if (!m_unreadable.file.empty()) {
        // Nothing is written over a history that could not be read: it is read again later.
        Report({JournalWriter::Report::Kind::ReadFailed, m_unreadable.file, m_unreadable.error});
        m_waitingToRead = true;
        return;
    }
    StartWriter();
}

void DurableHistory::StartWriter()
{
    JournalWriter::Callbacks callbacks;
    callbacks.report = [this](const JournalWriter::Report& report) { Report(report); };
    callbacks.fullSaveWanted = [this] { m_notify(kFullSaveMessage); };
    m_writer = std::make_unique<JournalWriter>(m_folder.write, m_screenDepth, std::move(callbacks), m_files, m_driver);
    // A journal replayed from where the history goes is gone on with, never emptied.
    const bool journalKept = m_journalPath.compare(0, m_folder.write.size(), m_folder.write) == 0;
    m_writer->Start(m_base, m_options.m_nTopCount, m_journalPath, journalKept ? m_journalLength : 0, m_journalChain,
                    m_journalChained, !m_waiting.empty(), m_form);
    // Asked for, and not yet so on disk (a new history, or one whose key was set aside).
    // Should no key come, the option goes off and the user is told: never on with plain files.
    bool saving = false;
    if (m_options.m_bEncrypt && !m_form.Sealed()) {
        saving = SetEncrypted(true);
        if (!saving) {
            m_options.m_bEncrypt = 0;
            m_encryptionRefused = true;
            m_writer->SaveOptions(m_options);
        }
    }
    if (m_needsFullSave && !saving)
        SaveFull();
}

bool DurableHistory::SetEncrypted(bool encrypted)
{
    if (encrypted == m_form.Sealed())
        return true;
    // A new sealed history would be written over the one no key opens.
    if (encrypted && m_keepSealed)
        return false;
    StoreForm form = encrypted ? SealedFolder::NewForm() : StoreForm();
    if (form.Sealed() != encrypted)
        return false;
    m_form = std::move(form);
    SaveFull();
    return true;
}

void DurableHistory::Record(const HistoryChange& change)
{
    if (!m_writer || change.kind == HistoryChange::Kind::Reset)
        return;
    // What the user removed leaves the disk at once: the journal still holds it until a full save.
    // Entries that only fell off the end of a full history wait for the next one.
    const bool removedByUser = (change.kind == HistoryChange::Kind::Remove && !change.capped) ||
                               change.kind == HistoryChange::Kind::Clear;
    if (removedByUser && !m_foldPosted) {
        m_foldPosted = true;
        m_notify(kFullSaveMessage);
    }
    journal::Record record;
    record.op = OpOf(change.kind, change.entry);
    record.ids = change.ids;
    // An insert or a repeat carries the entry's capture time and formats, which a replay gives back:
    // the writer encodes the formats (megabytes, maybe) on its own thread.
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
    m_writer->Append(std::move(record), change.entry ? *change.entry : HistoryEntry());
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
    // One more look at a history that could not be read: what was copied meanwhile is saved with it.
    if (m_waitingToRead)
        ReadAgain();
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
    snapshot.form = m_form;
    snapshot.keepSealed = m_keepSealed;
    return snapshot;
}
