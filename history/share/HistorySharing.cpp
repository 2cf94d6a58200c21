#include "history/share/HistorySharing.h"

#include <algorithm>

#include "history/share/ShareLocalFiles.h"

HistorySharing::HistorySharing(HistoryModel& model, const ClipOptions& options, disk::FileSystem& files,
                               HybridClock::WallClock wall, std::wstring pcName)
    : m_model(model), m_options(options), m_files(files), m_wall(std::move(wall)), m_pcName(std::move(pcName)),
      m_mirror(model, options)
{
}

HistorySharing::~HistorySharing() = default;

void HistorySharing::RunOnThread(std::function<void()> wake)
{
    m_ownThread = true;
    m_wake = std::move(wake);
}

std::wstring HistorySharing::Folder() const
{
    return std::wstring(m_options.m_strShareFolder.GetString(),
                        static_cast<size_t>(m_options.m_strShareFolder.GetLength()));
}

std::wstring HistorySharing::PcName() const
{
    if (!m_pcName.empty())
        return m_pcName;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

std::wstring HistorySharing::Fingerprint() const
{
    return m_key ? m_key->Fingerprint() : ShareSetup(m_files, m_dataFolder).Fingerprint();
}

bool HistorySharing::Start()
{
    if (m_running || !m_options.m_bShare || m_options.m_strShareFolder.IsEmpty())
        return false;
    const ShareLocalFiles local(m_files, m_dataFolder);
    std::unique_ptr<ShareKey> key;
    if (!local.LoadKey(m_pc, key)) {
        Raise(Problem::NoKey);
        return false;
    }
    m_key = std::move(key);
    m_clock = std::make_unique<HybridClock>(m_pc, m_wall);
    ShareState state;
    ShareBook book;
    if (local.LoadState(*m_key, m_pc, state)) {
        for (const ShareOp& op : state.shared)
            book.Apply(op);
        for (const ShareOp& op : state.localOnly)
            book.AddLocalOnly(op, 0);
    }
    m_clock->Observe(book.Latest());
    m_mirror.Begin(*m_clock, m_pc, std::move(book), state.links);
    m_positions = state.positions;
    m_courier = std::make_unique<ShareCourier>(
        ShareCourier::Place{&m_files, Folder(), m_dataFolder, m_pc, PcName(), m_key, m_positions}, m_ownThread,
        m_wake);
    m_running = true;
    m_joined = m_inFlight = m_readWanted = m_mergedSinceState = m_allSent = false;
    // Whatever did not reach the folder before (and what joins now) goes out whole.
    m_needSnapshot = true;
    m_peers.clear();
    // What the book kept shows at once; the folder's news follow with the first report.
    const bool changed = m_mirror.Reflect();
    Post(NextJob(true));
    return TakeReports() || changed;
}

void HistorySharing::Stop()
{
    Finish();
    m_courier.reset();
    m_mirror.End();
    m_running = false;
    m_key.reset();
    m_clock.reset();
    m_positions.clear();
    m_peers.clear();
    m_problem = m_told = Problem::None;
}

ShareCourier::Job HistorySharing::NextJob(bool read)
{
    m_mirror.Drain();
    ShareCourier::Job job;
    job.read = read || m_readWanted;
    m_readWanted = false;
    if (m_joined && m_needSnapshot) {
        job.snapshot = true;
        job.ops = m_mirror.SnapshotOps();
        m_mirror.TakeOutgoing();
        m_needSnapshot = false;
    } else {
        job.ops = m_mirror.TakeOutgoing();
    }
    // A tick that merged leaves keeping the state to the next one: the history's own files go first.
    if (m_mirror.Dirty() && !m_mergedSinceState) {
        job.keepState = true;
        job.state = m_mirror.State(m_positions);
    }
    m_mergedSinceState = false;
    job.content.formatLimit = static_cast<std::size_t>(std::max(m_options.m_nShareFormatsKB, 0)) * 1024;
    job.content.pc = m_pc;
    return job;
}

void HistorySharing::Post(ShareCourier::Job job)
{
    m_inFlight = m_ownThread;
    m_courier->Post(std::move(job));
}

bool HistorySharing::Tick(bool readOthers)
{
    if (!m_running)
        return false;
    bool changed = TakeReports();
    if (m_inFlight) {
        // The folder is slow: changes wait in the book until the courier is free.
        m_mirror.Drain();
        m_readWanted = m_readWanted || readOthers;
        return changed;
    }
    Post(NextJob(readOthers));
    changed = TakeReports() || changed;
    return changed;
}

bool HistorySharing::TakeReports()
{
    if (!m_running || !m_courier)
        return false;
    bool changed = false;
    for (ShareCourier::Report& report : m_courier->TakeReports())
        changed = Take(report) || changed;
    return changed;
}

bool HistorySharing::Take(ShareCourier::Report& report)
{
    m_inFlight = false;
    bool merged = report.ownRead && m_mirror.Merge(report.own);
    if (report.read) {
        merged = m_mirror.Merge(report.others) || merged;
        if (report.positions != m_positions) {
            m_positions = std::move(report.positions);
            m_mirror.MarkDirty();
        }
        m_peers = std::move(report.peers);
    }
    const bool joining = !m_joined;
    if (joining) {
        m_mirror.JoinUnknown();
        m_joined = true;
    }
    m_mergedSinceState = m_mergedSinceState || merged;
    if (report.sent || (report.read && !report.others.empty()))
        m_lastShared = UtcNow();
    m_needSnapshot = m_needSnapshot || report.wantSnapshot;
    m_allSent = report.allSent;
    TakeProblems(report);
    return (merged || joining) && m_mirror.Reflect();
}

void HistorySharing::TakeProblems(const ShareCourier::Report& report)
{
    if (!report.reached) {
        Raise(Problem::FolderUnreachable);
        return;
    }
    if (report.keyChanged) {
        Raise(Problem::KeyChanged);
        return;
    }
    const Problem before = m_problem;
    m_problem = Problem::None;
    if (report.read) {
        for (const ShareFolder::Peer& peer : m_peers)
            if (peer.wrongKey)
                Raise(Problem::WrongKey, peer.name);
    } else {
        // Only a read says that what it was about has cleared.
        m_problem = before;
    }
    if (m_problem == Problem::None)
        m_told = Problem::None;
}

void HistorySharing::Finish()
{
    if (!m_running || !m_courier)
        return;
    TakeReports();
    ShareCourier::Job job = NextJob(false);
    job.keepState = true;
    job.state = m_mirror.State(m_positions);
    m_courier->Finish(std::move(job), kFinishWaitMs);
    TakeReports();
    // Nothing comes in after the end: the history is on its way to disk, or being let go.
    m_running = false;
}

bool HistorySharing::AllSent() const
{
    return m_running && m_joined && !m_needSnapshot && !m_inFlight && m_allSent && !m_mirror.HasOutgoing();
}

int HistorySharing::PcCount() const
{
    int count = 1;
    for (const ShareFolder::Peer& peer : m_peers)
        count += peer.read && !peer.wrongKey ? 1 : 0;
    return count;
}

void HistorySharing::Raise(Problem problem, const std::wstring& pcName)
{
    m_problem = problem;
    m_problemPc = pcName;
}

HistorySharing::Problem HistorySharing::TakeProblem(std::wstring& pcName)
{
    if (m_problem == Problem::None || m_problem == m_told)
        return Problem::None;
    m_told = m_problem;
    pcName = m_problemPc;
    return m_problem;
}
