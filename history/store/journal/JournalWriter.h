#pragma once
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "history/store/journal/JournalFile.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/journal/RetrySchedule.h"
#include "history/store/saveset/SaveSet.h"
#include "history/store/saveset/SaveSnapshot.h"

// How a writer's work is driven: on a thread of its own by the system's clock
// (the program), or on the caller's thread by Pump and a clock of the caller's
// (tests that must see every file step in one order, and time pass at once).
struct WriterDriver {
    bool ownThread = true;
    JournalFile::Now now;
};

// Keeps the data folder up to date from a thread of its own, so that no
// write or flush ever stalls the popup: every change of the history is
// appended to the journal as it comes, full saves fold the journal into the
// files of the data folder, and the settings are written when they change.
// Failures are reported through the callback (on this thread) and the work is
// tried again on a schedule (the next change, then growing pauses up to a
// minute) and at the end; the journal never waits for it.
class JournalWriter {
public:
    struct Report {
        enum class Kind { SaveFailed, Saved, ReadFailed };
        Kind kind = Kind::SaveFailed;
        std::wstring file;
        DWORD error = ERROR_SUCCESS;
    };
    struct Callbacks {
        std::function<void(const Report&)> report;
        // The journal grew past its bound: a full save is welcome.
        std::function<void()> fullSaveWanted;
    };

    using Driver = WriterDriver;

    JournalWriter(std::wstring folder, int screenDepth, Callbacks callbacks,
                  disk::FileSystem& files = disk::SystemFiles(), Driver driver = Driver());
    // Without Finish the thread writes out what is queued and ends; the journal
    // keeps every change for the next start.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Starts the thread. `base` is the full save on disk; `journal` and
    // `journalLength` a journal to go on with (length 0: start one at the first
    // change) and the chain its last frame ends with. With `saveWaiting`, a
    // save's moves are still to be made first. `form`: the form of the files on
    // disk; each full save brings its own.
    void Start(journal::Header base, int baseTopCount, const std::wstring& journal, std::uint64_t journalLength,
               std::uint32_t journalChain, bool journalChained, bool saveWaiting, StoreForm form = StoreForm());

    // A change of the history; for a text insert, `entry` is the new entry, and
    // for an insert or a repeat with formats, the entry whose formats it records. A
    // picture insert comes with its label and BMP file in `change`, taken on
    // the popup's thread (an empty file: its pixels could not be read).
    void Append(journal::Record change, HistoryEntry entry = HistoryEntry());
    void SaveFull(SaveSnapshot snapshot);
    void SaveOptions(ClipOptions options);
    // One last full save, then the thread ends. True when it all reached the disk.
    bool Finish(SaveSnapshot snapshot);
    // Without a thread of its own: does what is due and what is queued, now.
    void Pump();
    // Without a thread of its own: drops what is queued and lets go of the
    // files without another step, as a killed process would.
    void Abandon();
    // The depth that picture files are encoded at.
    int ScreenDepth() const { return m_screenDepth; }

    // Full saves begin once the journal holds more than this, or than the history file.
    static constexpr std::uint64_t kMinimumJournalBound = 16u << 20;

private:
    struct Job {
        enum class Kind { Append, SaveFull, SaveOptions, Finish, Stop };
        Kind kind;
        journal::Record change;
        HistoryEntry entry;
        SaveSnapshot snapshot;
    };

    void Enqueue(Job job);
    void Run();
    JournalFile::Clock::time_point Now() const { return m_driver.now(); }
    // The flush and the retry whose time has come.
    void RunDue();
    // False once the job ends the writer.
    bool RunJob(Job& job);
    // Runs a piece of work, turning what it throws into a report, then plans the next retry.
    void Guarded(const std::function<void()>& work);
    void Do(Job& job);
    bool NeedsRetry() const;
    void Retry();
    void DoAppend(Job& job, std::vector<std::vector<std::uint8_t>>* tail);
    bool DoSaveFull(const SaveSnapshot& snapshot, bool final);
    void DoSaveOptions(const ClipOptions& options);
    // Appends what is queued ahead of any other work, during a full save.
    void ServiceAppends(std::vector<std::vector<std::uint8_t>>& tail);
    bool FinishPendingSave(disk::MoveWait wait);
    void Failed(const SaveSet::Failure& failure);
    void Succeeded();

    std::wstring m_folder;
    disk::FileSystem& m_files;
    Driver m_driver;
    int m_screenDepth;
    Callbacks m_callbacks;
    JournalFile m_journal;
    journal::Header m_base;
    StoreForm m_form;
    StoreForm m_wanted;  // the form of the last full save asked for
    int m_baseTopCount = 0;
    bool m_pendingSave = false;  // a save's intent is written but a move failed
    bool m_fullSaveAsked = false;
    bool m_fullSaveNeeded = false;  // a full save failed, or the journal dropped changes
    bool m_overflowTold = false;
    std::unique_ptr<ClipOptions> m_unsavedOptions;
    RetrySchedule m_retry;
    bool m_failing = false;
    bool m_finishedWell = false;
    bool m_ended = false;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_queue;
    std::thread m_thread;
};
