#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "history/model/ClipOptions.h"
#include "history/store/DataFolder.h"
#include "history/model/HistoryModel.h"
#include "history/model/HistorySnapshot.h"
#include "history/store/HistoryStore.h"
#include "history/store/journal/JournalWriter.h"
#include "history/store/sealed/StoreForm.h"

// The history on disk: loads the data folder at start (finishing or dropping
// an interrupted save, replaying the journal over the last full save) and from
// then on keeps every change on disk within a second, folding the journal into
// the data folder's files when it grows and at the end of the program.
class DurableHistory {
public:
    // Posted to the window given to Start: reports are waiting (TakeReports),
    // or a full save is welcome (SaveFull).
    static constexpr UINT kReportsMessage = WM_APP + 40;
    static constexpr UINT kFullSaveMessage = WM_APP + 41;

    DurableHistory(HistoryModel& model, ClipOptions& options, disk::FileSystem& files = disk::SystemFiles());
    ~DurableHistory();
    DurableHistory(const DurableHistory&) = delete;
    DurableHistory& operator=(const DurableHistory&) = delete;

    // Takes the folders and finishes or drops a save an interruption left there.
    void SetFolder(DataFolder folder);
    const DataFolder& Folder() const { return m_folder; }

    BOOL LoadOptions();
    // Loads the history file, replays the journal over it and announces the load.
    void LoadHistory();
    // From now on every change goes to disk; the messages above go to `window`.
    void Start(HWND window, int screenDepth);
    // The same for a test that runs the program's loop itself: `notify` gets
    // each message, and the writer is driven as `driver` says (Pump).
    using Notify = std::function<void(UINT message)>;
    void Start(Notify notify, int screenDepth, JournalWriter::Driver driver);
    // A writer driven by the caller does what is due and queued.
    void Pump();

    // A history that could not be read at the start is never written over, and
    // is read again now and then (every kReadAgainMs, without waiting for a
    // held file): once it reads, what was copied meanwhile joins it and saving
    // begins. True when that happened: the settings may have been read too.
    static constexpr UINT kReadAgainMs = 2000;
    bool WaitingToRead() const { return m_waitingToRead; }
    bool ReadAgain();
    // Ends as a killed process would: nothing more reaches the files.
    void Abandon();
    void SaveOptions();
    void SaveFull();
    // The last full save, at the end of the program; true when it all reached the disk.
    bool SaveAtExit();

    std::vector<JournalWriter::Report> TakeReports();
    // The save failure reported last, when no save went well after it (empty file: none).
    SaveSet::Failure LastSaveFailure();
    // The history for a full save, its pictures encoded here, on the popup's thread.
    SaveSnapshot Snapshot() const;

    // Writes the history sealed for this account from now on, or plain again:
    // a full save in the new form, which removes the old form's files. False
    // when no key could be made, or a sealed history that no key opens still
    // lies in the folder.
    bool SetEncrypted(bool encrypted);
    bool Encrypted() const { return m_form.Sealed(); }
    // Things the user is told once after the load: a sealed history that no key
    // here opens (its key missing, or of another account, machine or folder),
    // set aside in this folder, or, when it could not be moved, kept where it
    // is and out of every save; plain files that an older version wrote beside
    // a sealed history, merged in; encryption asked for that could not go on.
    enum class LostKey { None, Missing, Unopenable };
    LostKey SealedHistoryLost() const { return m_lostKey; }
    const std::wstring& SetAsideFolder() const { return m_setAside; }
    bool EncryptionRefused() const { return m_encryptionRefused; }
    bool MergedOlderFiles() const { return m_mergedOlder; }

private:
    // A file held by another program at the start is waited for about three seconds.
    static constexpr int kReadAttempts = 30;

    void StartWriter();
    // What was copied while the history could not be read goes above the entries read, each in its zone.
    void Merge(const HistoryModel& loaded);

    // A file of the folder read, or the new version a waiting save holds for it.
    std::wstring Resolve(const std::wstring& name) const;
    // The journal to replay: the one kept where the history goes, else the one beside it.
    std::wstring JournalPath() const;
    void CheckReadable();
    bool WaitUntilReadable(const std::wstring& path, const std::wstring& name);
    void NoteUnread(const std::wstring& name, DWORD error);
    void TakeStoreFailure();
    // Entries whose time no file keeps count as captured now; false when there were any.
    bool StampUnknownTimes();
    // The folder's key: the form its history is read in, a key that cannot be opened set aside.
    void OpenKey();
    // Plain files an older version wrote beside a sealed history, appended to the load.
    void MergeOlderFiles(int plainCount);
    void Report(const JournalWriter::Report& report);
    void Record(const HistoryChange& change);

    HistoryModel& m_model;
    ClipOptions& m_options;
    disk::FileSystem& m_files;
    HistoryStore m_store;
    DataFolder m_folder;
    StoreForm m_form;
    std::wstring m_setAside;
    LostKey m_lostKey = LostKey::None;
    bool m_keepSealed = false;
    bool m_encryptionRefused = false;
    bool m_mergedOlder = false;
    SaveSet::Failure m_unreadable;  // a file of the history that stayed unreadable
    std::map<std::wstring, std::wstring> m_waiting;
    journal::Header m_base;
    std::wstring m_journalPath;
    std::uint64_t m_journalLength = 0;
    std::uint32_t m_journalChain = 0;
    bool m_journalChained = true;
    bool m_needsFullSave = false;
    bool m_foldPosted = false;  // a full save that removes what the user removed is on its way
    std::unique_ptr<JournalWriter> m_writer;
    Notify m_notify;
    int m_screenDepth = 0;
    JournalWriter::Driver m_driver;
    int m_readAttempts = kReadAttempts;
    bool m_waitingToRead = false;
    std::mutex m_reportsMutex;
    std::vector<JournalWriter::Report> m_reports;
    SaveSet::Failure m_lastSaveFailure;
};
