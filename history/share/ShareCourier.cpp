#include "history/share/ShareCourier.h"

#include <thread>

#include "history/share/ShareNames.h"
#include "history/store/disk/FileSteps.h"

ShareCourier::Shared::Shared(Place where)
    : place(std::move(where)), folder(*place.files, place.folder, place.pc, place.pcName, *place.key)
{
    folder.LoadPositions(place.positions.data(), place.positions.size());
}

ShareCourier::ShareCourier(Place place, bool ownThread, std::function<void()> wake)
    : m_shared(std::make_shared<Shared>(std::move(place))), m_ownThread(ownThread), m_wake(std::move(wake))
{
    if (m_ownThread)
        std::thread([shared = m_shared, wake = m_wake] { Loop(shared, wake); }).detach();
}

ShareCourier::~ShareCourier()
{
    if (!m_ownThread || m_finished)
        return;
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->ending = true;
    m_shared->wakeThread.notify_one();
}

void ShareCourier::Post(Job job)
{
    if (!m_ownThread) {
        Report report = m_shared->Run(job);
        m_shared->reports.push_back(std::move(report));
        return;
    }
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->jobs.push_back(std::move(job));
    m_shared->wakeThread.notify_one();
}

std::vector<ShareCourier::Report> ShareCourier::TakeReports()
{
    std::vector<Report> reports;
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    reports.swap(m_shared->reports);
    return reports;
}

bool ShareCourier::Finish(Job job, DWORD waitMs)
{
    job.last = true;
    Post(std::move(job));
    m_finished = true;
    return !m_ownThread || WaitForSingleObject(m_shared->ended.Get(), waitMs) == WAIT_OBJECT_0;
}

void ShareCourier::Loop(const std::shared_ptr<Shared>& shared, const std::function<void()>& wake)
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->wakeThread.wait(lock, [&] { return shared->ending || !shared->jobs.empty(); });
            if (shared->jobs.empty())
                break;
            job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
        }
        Report report = shared->Run(job);
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->reports.push_back(std::move(report));
        }
        if (wake)
            wake();
        if (job.last)
            break;
    }
    SetEvent(shared->ended.Get());
}

ShareCourier::Report ShareCourier::Shared::Run(Job& job)
{
    Report report;
    report.reached = folder.IsOpen() || folder.Open() == ERROR_SUCCESS;
    if (report.reached && !ownRead && folder.ReadOwn(report.own) == ERROR_SUCCESS) {
        ownRead = true;
        report.ownRead = true;
    }
    if (report.reached && job.read) {
        // A key file not here yet (or not downloaded) is no sign of another key.
        std::vector<BYTE> keyFile;
        const std::wstring path = sharenames::Root(place.folder) + sharenames::KeyFileName();
        keyChanged = disk::ReadWhole(*place.files, path, keyFile, 1 << 16) == ERROR_SUCCESS && !place.key->Opens(keyFile);
    }
    const bool keyOurs = !keyChanged;
    report.keyChanged = report.reached && keyChanged;
    // Nothing goes out sealed with a key the other PCs no longer use; it waits (for a snapshot, past a bound).
    // Operations are idempotent and their order does not matter, so what waits may join a snapshot.
    const bool sendable = report.reached && keyOurs;
    if (!sendable || !Send(job, report)) {
        if (job.snapshot) {
            unsent = std::move(job.ops);
            snapshotWaiting = true;
        } else {
            unsent.insert(unsent.end(), std::make_move_iterator(job.ops.begin()),
                          std::make_move_iterator(job.ops.end()));
        }
        // A write that failed is told as the folder not being reachable.
        report.reached = report.reached && !sendable;
    }
    if (report.reached && keyOurs && job.read) {
        report.read = folder.ReadOthers(report.others) == ERROR_SUCCESS;
        report.reached = report.read;
        folder.SavePositions(report.positions);
        for (const auto& peer : folder.Peers())
            report.peers.push_back(peer.second);
    }
    if (job.keepState)
        ShareLocalFiles(*place.files, place.dataFolder).SaveState(*place.key, place.pc, job.state);
    if (unsent.size() > kMaxUnsent && !snapshotWaiting) {
        // Away from the folder for long: the next snapshot carries it all.
        unsent.clear();
        report.wantSnapshot = true;
    }
    report.wantSnapshot = report.wantSnapshot || folder.WantsSnapshot();
    report.allSent = unsent.empty() && !snapshotWaiting;
    return report;
}

bool ShareCourier::Shared::Send(Job& job, Report& report)
{
    if (job.snapshot) {
        unsent.clear();
        snapshotWaiting = false;
        if (folder.WriteSnapshot(job.ops, job.content) != ERROR_SUCCESS)
            return false;
        report.sent = true;
        job.ops.clear();
        return true;
    }
    if (snapshotWaiting) {
        if (folder.WriteSnapshot(unsent, job.content) != ERROR_SUCCESS)
            return false;
        report.sent = true;
        unsent.clear();
        snapshotWaiting = false;
    }
    unsent.insert(unsent.end(), std::make_move_iterator(job.ops.begin()), std::make_move_iterator(job.ops.end()));
    job.ops.clear();
    if (unsent.empty())
        return true;
    if (folder.Append(unsent, job.content) != ERROR_SUCCESS)
        return false;
    report.sent = true;
    unsent.clear();
    return true;
}
