#pragma once
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "history/share/OpCodec.h"
#include "history/share/ShareFolder.h"
#include "history/share/ShareKey.h"
#include "history/share/ShareLocalFiles.h"
#include "history/store/disk/FileSystem.h"

// The shared folder's side of sharing: this PC's place in it, what it sends,
// what it reads of the other PCs' files, and the state it keeps in the data
// folder. It works on a thread of its own, so that the popup's thread never
// waits on the folder (a network share may answer in seconds, or not at all);
// each job's outcome comes back as a report, and the wake callback says one is
// waiting. Tests run the jobs on the caller's thread instead, one at a time.
class ShareCourier {
public:
    struct Place {
        disk::FileSystem* files;
        std::wstring folder;      // the shared folder the user chose
        std::wstring dataFolder;  // this PC's, ending with a backslash
        ShareId pc;
        std::wstring pcName;
        std::shared_ptr<const ShareKey> key;
        std::vector<std::uint8_t> positions;  // how far the other PCs' files were read before
    };
    struct Job {
        std::vector<ShareOp> ops;  // to send, in the order made
        bool snapshot = false;     // `ops` are the whole history: they replace this PC's files
        bool read = false;         // take in what the other PCs wrote since the last read
        bool keepState = false;    // write `state` to the data folder
        ShareState state;
        opcodec::Content content;
        bool last = false;  // the end: the thread ends after it
    };
    struct Report {
        bool reached = false;  // the folder could be opened
        // This PC's own files, read once when it first reaches the folder in a run.
        bool ownRead = false;
        std::vector<ShareOp> own;
        bool keyChanged = false;  // the folder's key is not ours any more: nothing is sent
        bool allSent = false;     // nothing waits to be sent
        bool wantSnapshot = false;
        bool sent = false;  // something went out
        bool read = false;  // the other PCs' files were read
        std::vector<ShareOp> others;
        std::vector<std::uint8_t> positions;  // how far they are read, `others` included
        std::vector<ShareFolder::Peer> peers;
    };

    // `ownThread`: false runs each job at once on the caller's thread.
    ShareCourier(Place place, bool ownThread, std::function<void()> wake);
    // Ends the thread without waiting for the folder: a job held by it is left to end on its own.
    ~ShareCourier();
    ShareCourier(const ShareCourier&) = delete;
    ShareCourier& operator=(const ShareCourier&) = delete;

    void Post(Job job);
    std::vector<Report> TakeReports();
    // Posts the last job and waits up to `waitMs` for it; false when it did not end in time.
    bool Finish(Job job, DWORD waitMs);

private:
    static constexpr std::size_t kMaxUnsent = 20000;

    // Held by the thread as well: a thread that a slow folder holds may outlive the courier.
    struct Shared {
        explicit Shared(Place where);
        Report Run(Job& job);
        bool Send(Job& job, Report& report);

        Place place;
        ShareFolder folder;
        bool ownRead = false;
        bool keyChanged = false;  // as the last read found the folder's key file
        // What could not be sent yet: a snapshot, or operations made since the last one.
        std::vector<ShareOp> unsent;
        bool snapshotWaiting = false;

        std::mutex mutex;
        std::condition_variable wakeThread;
        std::deque<Job> jobs;
        std::vector<Report> reports;
        bool ending = false;
        UniqueFileHandle ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    static void Loop(const std::shared_ptr<Shared>& shared, const std::function<void()>& wake);

    std::shared_ptr<Shared> m_shared;
    bool m_ownThread;
    std::function<void()> m_wake;
    bool m_finished = false;
};
