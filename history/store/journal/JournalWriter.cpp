#include "history/store/journal/JournalWriter.h"

#include <new>

#include "framework/CArchive.h"
#include "history/store/formats/FileNames.h"
#include "history/store/extras/FormatsRecord.h"
#include "history/store/saveset/FullSave.h"
#include "history/store/formats/OptionsRecord.h"

namespace {

std::uint64_t UtcTime()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::u16string_view AsU16(const std::wstring& text)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace

JournalWriter::JournalWriter(std::wstring folder, int screenDepth, Callbacks callbacks, disk::FileSystem& files,
                             Driver driver)
    : m_folder(std::move(folder)), m_files(files), m_driver(std::move(driver)), m_screenDepth(screenDepth),
      m_callbacks(std::move(callbacks)), m_journal(m_folder, files)
{
    if (!m_driver.now)
        m_driver.now = [] { return JournalFile::Clock::now(); };
    m_journal.SetClock(m_driver.now);
}

JournalWriter::~JournalWriter()
{
    if (m_driver.ownThread) {
        if (!m_thread.joinable())
            return;
        Enqueue(Job{Job::Kind::Stop, {}, {}, {}});
        m_thread.join();
    } else if (!m_ended) {
        Enqueue(Job{Job::Kind::Stop, {}, {}, {}});
        Pump();
    }
}

void JournalWriter::Start(journal::Header base, int baseTopCount, const std::wstring& journal,
                          std::uint64_t journalLength, std::uint32_t journalChain, bool journalChained, bool saveWaiting,
                          StoreForm form)
{
    m_form = form;
    m_wanted = form;
    m_journal.SetForm(std::move(form));
    m_base = std::move(base);
    m_baseTopCount = baseTopCount;
    m_pendingSave = saveWaiting;
    if (journalLength > 0)
        m_journal.Continue(journal, journalLength, journalChain, journalChained);
    else
        m_journal.StartAfresh(m_base);
    if (m_driver.ownThread)
        m_thread = std::thread([this] { Run(); });
}

void JournalWriter::Enqueue(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(job));
    }
    if (m_driver.ownThread)
        m_wake.notify_one();
}

void JournalWriter::Append(journal::Record change, HistoryEntry entry)
{
    if (change.time == 0)
        change.time = UtcTime();
    Enqueue(Job{Job::Kind::Append, std::move(change), std::move(entry), {}});
}

void JournalWriter::SaveFull(SaveSnapshot snapshot)
{
    Enqueue(Job{Job::Kind::SaveFull, {}, {}, std::move(snapshot)});
}

void JournalWriter::SaveOptions(ClipOptions options)
{
    SaveSnapshot holder;
    holder.history.options = std::move(options);
    Enqueue(Job{Job::Kind::SaveOptions, {}, {}, std::move(holder)});
}

bool JournalWriter::Finish(SaveSnapshot snapshot)
{
    if (m_driver.ownThread ? !m_thread.joinable() : m_ended)
        return false;
    Enqueue(Job{Job::Kind::Finish, {}, {}, std::move(snapshot)});
    if (m_driver.ownThread)
        m_thread.join();
    else
        Pump();
    return m_finishedWell;
}

void JournalWriter::Pump()
{
    RunDue();
    while (!m_ended) {
        Job job;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        RunJob(job);
    }
}

void JournalWriter::Abandon()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_ended = true;
}

void JournalWriter::RunDue()
{
    // The second is up whatever waits in the queue; a failed save's turn comes on its schedule.
    m_journal.FlushIfDue();
    if (Now() >= m_retry.Due())
        Guarded([this] { Retry(); });
}

void JournalWriter::Run()
{
    for (;;) {
        RunDue();
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto due = std::min(m_journal.FlushDue(), m_retry.Due());
        const auto ready = [this] { return !m_queue.empty(); };
        if (due == JournalFile::Clock::time_point::max())
            m_wake.wait(lock, ready);
        else if (!m_wake.wait_until(lock, due, ready))
            continue;
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        if (!RunJob(job))
            return;
    }
}

bool JournalWriter::RunJob(Job& job)
{
    if (job.kind == Job::Kind::Finish || job.kind == Job::Kind::Stop) {
        if (job.kind == Job::Kind::Finish) {
            try {
                m_finishedWell = DoSaveFull(job.snapshot, true);
            } catch (...) {
                // The journal keeps every change for the next start.
                m_finishedWell = false;
            }
        }
        m_journal.Close();
        m_ended = true;
        return false;
    }
    if (job.kind == Job::Kind::Append && m_retry.DueAtChange(Now()))
        Guarded([this] { Retry(); });
    Guarded([this, &job] { Do(job); });
    return true;
}

void JournalWriter::Guarded(const std::function<void()>& work)
{
    // Nothing may end this thread early: a failure is reported and the work tried again later.
    try {
        work();
    } catch (const std::bad_alloc&) {
        Failed({g_strJournalFileName, ERROR_NOT_ENOUGH_MEMORY});
    } catch (...) {
        Failed({g_strJournalFileName, ERROR_INVALID_DATA});
    }
    if (NeedsRetry())
        m_retry.Waiting(Now());
    else
        m_retry.Clear();
}

void JournalWriter::Do(Job& job)
{
    switch (job.kind) {
    case Job::Kind::Append:
        DoAppend(job, nullptr);
        break;
    case Job::Kind::SaveFull:
        DoSaveFull(job.snapshot, false);
        break;
    case Job::Kind::SaveOptions:
        DoSaveOptions(job.snapshot.history.options);
        break;
    case Job::Kind::Finish:
    case Job::Kind::Stop:
        break;
    }
}

bool JournalWriter::NeedsRetry() const
{
    return m_journal.HasPending() || m_pendingSave || m_fullSaveNeeded || m_unsavedOptions;
}

void JournalWriter::Retry()
{
    m_retry.Started();
    SaveSet::Failure failure;
    if (m_journal.HasPending() && !m_journal.WritePending(failure))
        Failed(failure);
    if (m_pendingSave && !FinishPendingSave(disk::MoveWait::Once))
        return;
    // A full save needs the history as it stands now, which the popup's thread gives.
    if (m_fullSaveNeeded && m_callbacks.fullSaveWanted)
        m_callbacks.fullSaveWanted();
    if (m_unsavedOptions) {
        const ClipOptions options = *m_unsavedOptions;
        DoSaveOptions(options);
    }
    Succeeded();
}

void JournalWriter::DoAppend(Job& job, std::vector<std::vector<std::uint8_t>>* tail)
{
    journal::Record& change = job.change;
    if (job.entry.text && job.entry.text->size() > 0x7FFFFFFF) {
        // Beyond the journal's length field: the next full save will tell it was left out.
        Failed({g_strJournalFileName, ERROR_FILE_TOO_LARGE});
        return;
    }
    if (change.op == journal::Op::InsertPicture && change.picture.empty()) {
        Failed({g_strJournalFileName, ERROR_INVALID_DATA});
        return;
    }
    if (change.op == journal::Op::InsertTextWithFormats || change.op == journal::Op::MoveBelowTopWithFormats)
        change.formats = EncodeEntryFormats(job.entry.formats);
    const bool textInsert =
        (change.op == journal::Op::InsertText || change.op == journal::Op::InsertTextWithFormats) && job.entry.text;
    std::vector<std::uint8_t> frame =
        textInsert ? journal::EncodeTextInsert(change.time, job.entry.id, AsU16(*job.entry.text), change.formats)
                   : journal::EncodeRecord(change);
    if (m_wanted.Sealed() && !m_form.Sealed()) {
        // Encryption is asked for and its first sealed set is not on the disk yet: no copied byte goes
        // out plain. The change stays in memory, where the sealed save that is due takes it from.
        m_fullSaveNeeded = true;
        if (tail)
            tail->push_back(std::move(frame));
        return;
    }
    SaveSet::Failure failure;
    if (m_journal.Append(frame, failure))
        Succeeded();
    else
        Failed(failure);
    if (m_journal.Overflowed() && !m_overflowTold) {
        // Said even while another failure is being told: changes now live only in memory.
        m_overflowTold = true;
        m_fullSaveNeeded = true;
        if (m_callbacks.report)
            m_callbacks.report({Report::Kind::SaveFailed, g_strJournalFileName, ERROR_NOT_ENOUGH_MEMORY});
    }
    if (tail)
        tail->push_back(std::move(frame));
    const std::uint64_t bound = std::max<std::uint64_t>(kMinimumJournalBound, m_base.historySize);
    if (!m_fullSaveAsked && m_journal.Length() > bound && m_callbacks.fullSaveWanted) {
        m_fullSaveAsked = true;
        m_callbacks.fullSaveWanted();
    }
}

void JournalWriter::ServiceAppends(std::vector<std::vector<std::uint8_t>>& tail)
{
    // A long save keeps the journal's second too.
    m_journal.FlushIfDue();
    for (;;) {
        Job job;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty() || m_queue.front().kind != Job::Kind::Append)
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        DoAppend(job, &tail);
    }
}

bool JournalWriter::FinishPendingSave(disk::MoveWait wait)
{
    SaveSet::Failure failure;
    if (!SaveSet::Recover(m_folder, &failure, nullptr, wait, m_files)) {
        Failed(failure);
        return false;
    }
    m_pendingSave = false;
    m_journal.Settled();
    return true;
}

bool JournalWriter::DoSaveFull(const SaveSnapshot& snapshot, bool final)
{
    // In the session a held file costs no wait: the schedule tries again. At the end it is waited for.
    const disk::MoveWait wait = final ? disk::MoveWait::AboutASecond : disk::MoveWait::Once;
    if (m_pendingSave && !FinishPendingSave(wait)) {
        m_fullSaveNeeded = true;
        return false;
    }
    m_wanted = snapshot.form;
    FullSave save(m_folder, snapshot, m_files);
    bool committing = false;
    const bool saved = save.Run([this](std::vector<std::vector<std::uint8_t>>& tail) { ServiceAppends(tail); },
                                [this, &save, &committing](const std::wstring& newJournal) {
                                    committing = true;
                                    m_journal.SwitchTo(newJournal, save.JournalBytes(), save.JournalChain(),
                                                       save.Form());
                                },
                                wait);
    if (committing) {
        // The new files stand (or will, once a blocked move goes through).
        m_base = save.Base();
        m_form = save.Form();
        m_baseTopCount = save.TopCount();
        m_journal.ForgetPending();
        m_fullSaveAsked = false;
        m_fullSaveNeeded = false;
        m_overflowTold = false;
    }
    if (!saved) {
        m_pendingSave = committing;
        m_fullSaveNeeded = !committing;
        Failed(save.LastFailure());
        return false;
    }
    // The moves are made: the journal is data.journal again, whether or not it could be opened at the switch.
    m_journal.Settled();
    if (save.SkippedEntries() > 0)
        Failed({g_strHistoryFileName, ERROR_INVALID_DATA});
    else
        Succeeded();
    // At the end, a journal with no change in it goes: a clean exit leaves only the history's files.
    if (final && !save.JournalHoldsChanges()) {
        m_journal.Close();
        m_files.Delete(m_folder + m_form.JournalName());
    }
    return true;
}

void JournalWriter::DoSaveOptions(const ClipOptions& options)
{
    // Kept until written: the schedule tries again.
    m_unsavedOptions = std::make_unique<ClipOptions>(options);
    if (m_pendingSave && !FinishPendingSave(disk::MoveWait::Once))
        return;
    // The counts describe the history file on disk, whatever the popup shows now.
    SettingsRecord record = ToRecord(options);
    record.entryCount = m_base.entryCount;
    record.topCount = m_baseTopCount;
    SaveSet set(m_folder, m_files);
    const bool saved = set.AddFile(g_strOptionsFileName,
                                   [&record](CFile& file) {
                                       CArchive archive(&file, CArchive::store);
                                       WriteSettings(archive, record, archive.Codec());
                                       archive.Close();
                                   }) &&
                       set.Commit(nullptr, disk::MoveWait::Once);
    if (saved) {
        m_unsavedOptions.reset();
        Succeeded();
    }
    else
        Failed(set.LastFailure());
}

void JournalWriter::Failed(const SaveSet::Failure& failure)
{
    // Said once until things go well again.
    if (m_failing)
        return;
    m_failing = true;
    if (m_callbacks.report)
        m_callbacks.report({Report::Kind::SaveFailed, failure.file, failure.error});
}

void JournalWriter::Succeeded()
{
    if (!m_failing || NeedsRetry())
        return;
    m_failing = false;
    if (m_callbacks.report)
        m_callbacks.report({Report::Kind::Saved, {}, ERROR_SUCCESS});
}
