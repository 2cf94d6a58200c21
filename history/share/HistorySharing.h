#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "history/model/ClipOptions.h"
#include "history/model/HistoryModel.h"
#include "history/share/BookMirror.h"
#include "history/share/HybridClock.h"
#include "history/share/ShareBook.h"
#include "history/share/ShareCourier.h"
#include "history/share/ShareKey.h"
#include "history/share/ShareSetup.h"
#include "history/store/disk/FileSystem.h"

// One history on every PC of the user, through a folder they already sync.
// Every change to this PC's history becomes an operation in its segments;
// the operations of the other PCs merge into the book, and the history is made
// to show the book. This PC's data folder keeps its view as before, so it
// works alone while the shared folder is away and catches up when it returns.
// The folder itself is reached only by the courier (on its own thread in the
// program); the book and the history are the popup's, and each tick hands the
// courier a job and takes in the reports that came back.
class HistorySharing {
public:
    using Setup = ShareSetup::Result;
    enum class Problem { None, FolderUnreachable, WrongKey, KeyChanged, NoKey };

    // `pcName` names this PC in the other PCs' messages (empty: the computer's name).
    HistorySharing(HistoryModel& model, const ClipOptions& options, disk::FileSystem& files = disk::SystemFiles(),
                   HybridClock::WallClock wall = nullptr, std::wstring pcName = std::wstring());
    ~HistorySharing();
    HistorySharing(const HistorySharing&) = delete;
    HistorySharing& operator=(const HistorySharing&) = delete;

    // The data folder (ending with a backslash) where this PC keeps its key and state.
    void SetDataFolder(std::wstring folder) { m_dataFolder = std::move(folder); }
    void SetPictureCodec(PictureCodec codec) { m_mirror.SetPictureCodec(std::move(codec)); }
    // The folder's work goes to a thread of its own; `wake` is called there when a report waits
    // (TakeReports). Without this each job runs at once, on the caller's thread (tests).
    void RunOnThread(std::function<void()> wake);

    Setup Prepare(const std::wstring& folder, const std::wstring& passphrase, std::wstring& fingerprint)
    {
        return ShareSetup(m_files, m_dataFolder).Prepare(folder, passphrase, fingerprint);
    }
    // The fingerprint of the key this PC holds (empty: none).
    std::wstring Fingerprint() const;

    // Begins sharing as the options say, after the history is loaded; Stop ends it.
    // True when the history changed so that it wants a full save.
    bool Start();
    void Stop();
    bool Running() const { return m_running; }
    // The shared folder the options name.
    std::wstring Folder() const;

    // Hands the courier this PC's changes and, with `readOthers`, asks for the
    // other PCs'; then takes in the reports that came back. True when the
    // history changed so that it wants a full save.
    bool Tick(bool readOthers);
    bool TakeReports();
    // The end of the program: what is waiting goes out and the state is kept; nothing is taken in after.
    void Finish();
    // Takes the history's changes made since the last tick into the book.
    void Drain() { m_mirror.Drain(); }

    // Every change taken so far is in the shared folder, written whole.
    bool AllSent() const;

    // When the history last went out or came in (a FILETIME, 0: never), and how many PCs share it.
    std::uint64_t LastShared() const { return m_lastShared; }
    int PcCount() const;
    // A problem not told yet, with the PC it is about; Problem::None when there is none.
    Problem TakeProblem(std::wstring& pcName);

    const ShareBook& Book() const { return m_mirror.Book(); }
    const ShareId& Pc() const { return m_pc; }

private:
    // How long the end of the program waits for the folder.
    static constexpr DWORD kFinishWaitMs = 5000;

    void Post(ShareCourier::Job job);
    ShareCourier::Job NextJob(bool read);
    bool Take(ShareCourier::Report& report);
    void TakeProblems(const ShareCourier::Report& report);
    void Raise(Problem problem, const std::wstring& pcName = std::wstring());
    std::wstring PcName() const;

    HistoryModel& m_model;
    const ClipOptions& m_options;
    disk::FileSystem& m_files;
    HybridClock::WallClock m_wall;
    std::wstring m_pcName;
    std::wstring m_dataFolder;
    bool m_ownThread = false;
    std::function<void()> m_wake;

    ShareId m_pc;
    std::shared_ptr<const ShareKey> m_key;
    std::unique_ptr<HybridClock> m_clock;
    BookMirror m_mirror;
    std::unique_ptr<ShareCourier> m_courier;
    bool m_running = false;
    bool m_joined = false;       // the history's unknown entries have joined the book
    bool m_inFlight = false;     // a job is with the courier's thread
    bool m_readWanted = false;   // asked for while a job was in flight
    bool m_needSnapshot = false;
    bool m_mergedSinceState = false;
    bool m_allSent = false;
    std::vector<std::uint8_t> m_positions;  // how far the book holds the other PCs' files
    std::vector<ShareFolder::Peer> m_peers;

    std::uint64_t m_lastShared = 0;
    Problem m_problem = Problem::None;
    Problem m_told = Problem::None;
    std::wstring m_problemPc;
};
