#pragma once
#include <windows.h>

#include <memory>
#include <unordered_set>
#include <string>
#include <vector>

#include "history/model/ClipOptions.h"
#include "history/model/HistoryModel.h"
#include "history/share/HybridClock.h"
#include "history/share/ShareBook.h"
#include "history/share/ShareFolder.h"
#include "history/share/ShareKey.h"
#include "history/share/ShareLocalFiles.h"
#include "history/store/disk/FileSystem.h"

// One history on every PC of the user, through a folder they already sync.
// Every change to this PC's history becomes an operation in its segments;
// the operations of the other PCs merge into the book, and the history is made
// to show the book. This PC's data folder keeps its view as before, so it
// works alone while the shared folder is away and catches up when it returns.
class HistorySharing {
public:
    enum class Setup {
        Ready,               // the key opens the folder's key file (or made it)
        NeedPassphrase,      // this PC has no key for the folder yet
        WrongPassphrase,     // the passphrase does not open the folder's key file
        FolderUnreachable,
        Failed,              // the system refused (random source, wrapping, writing)
    };
    enum class Problem { None, FolderUnreachable, WrongKey, KeyChanged, NoKey };

    // `pcName` names this PC in the other PCs' messages (empty: the computer's name).
    HistorySharing(HistoryModel& model, const ClipOptions& options, disk::FileSystem& files = disk::SystemFiles(),
                   HybridClock::WallClock wall = nullptr, std::wstring pcName = std::wstring());
    HistorySharing(const HistorySharing&) = delete;
    HistorySharing& operator=(const HistorySharing&) = delete;

    // The data folder (ending with a backslash) where this PC keeps its key and state.
    void SetDataFolder(std::wstring folder) { m_dataFolder = std::move(folder); }

    // Makes or joins the share in `folder` with the passphrase (which may be
    // empty when this PC already holds the folder's key). Nothing is written
    // unless the outcome is Ready. The key's fingerprint comes back when Ready.
    Setup Prepare(const std::wstring& folder, const std::wstring& passphrase, std::wstring& fingerprint);
    // The fingerprint of the key this PC holds (empty: none).
    std::wstring Fingerprint() const;

    // Begins sharing as the options say, after the history is loaded; Stop ends it.
    // True when the history changed so that it wants a full save.
    bool Start();
    void Stop();
    bool Running() const { return m_running; }
    // The shared folder the options name.
    std::wstring Folder() const;

    // Writes this PC's changes and, with `readOthers`, takes in the other PCs'.
    // True when the history changed so that it wants a full save.
    bool Tick(bool readOthers);
    // The end of the program: what is waiting goes out and the state is kept.
    void Finish();
    // Takes the history's changes made since the last tick into the book (a
    // capture only queues its change, so that it costs the capture nearly nothing).
    void Drain();

    // Every change taken so far is in the shared folder, written whole.
    bool AllSent() const { return m_running && m_queued.empty() && m_pending.empty() && !m_needSnapshot; }

    // When the history last went out or came in (a FILETIME, 0: never), and how many PCs share it.
    std::uint64_t LastShared() const { return m_lastShared; }
    int PcCount() const;
    // A problem not told yet, with the PC it is about; Problem::None when there is none.
    Problem TakeProblem(std::wstring& pcName);

    const ShareBook& Book() const { return m_book; }
    const ShareId& Pc() const { return m_pc; }

private:
    static constexpr std::size_t kMaxPending = 20000;
    static constexpr std::uint32_t kSegmentsPerSnapshot = 8;

    // A change of the history, queued until the next tick.
    struct Queued {
        HistoryChange::Kind kind;
        std::vector<EntryId> ids;
        bool capped = false;
        HistoryEntry entry;  // Insert and MoveBelowTop
    };

    void OnChange(const HistoryChange& change);
    void Record(const Queued& change);
    void Emit(const ShareOp& op, bool shared);
    void LoadBook();
    // Links this PC's history to the book; entries the book does not know join it.
    void Reconcile();
    // Makes the history show the book; true when it changed.
    bool Reflect();
    bool FolderKeyStillOurs();
    // Opens this PC's place in the folder; the first time, takes in what it wrote in earlier runs.
    bool OpenFolder();
    void WriteOut();
    void SaveState();
    void Raise(Problem problem, const std::wstring& pcName = std::wstring());
    std::wstring PcName() const;

    HistoryModel& m_model;
    const ClipOptions& m_options;
    disk::FileSystem& m_files;
    HybridClock::WallClock m_wall;
    std::wstring m_pcName;
    std::wstring m_dataFolder;

    ShareId m_pc;
    std::unique_ptr<ShareKey> m_key;
    std::unique_ptr<HybridClock> m_clock;
    std::unique_ptr<ShareFolder> m_folder;
    ShareBook m_book;
    // Entries of the history that the book has known: one it no longer holds was removed.
    std::unordered_set<EntryId> m_known;
    std::vector<Queued> m_queued;
    std::vector<ShareOp> m_pending;
    bool m_needSnapshot = false;
    bool m_stateDirty = false;
    bool m_running = false;
    bool m_applying = false;
    bool m_keyChanged = false;
    bool m_readOwn = false;

    std::uint64_t m_lastShared = 0;
    Problem m_problem = Problem::None;
    Problem m_told = Problem::None;
    std::wstring m_problemPc;
};
