#include "history/share/ShareFolder.h"

#include <algorithm>

#include "history/share/LeBytes.h"
#include "history/share/ShareNames.h"
#include "history/store/disk/FileSteps.h"

namespace {

// A file of the shared folder larger than this is not one of ours.
constexpr std::uint64_t kMaxFile = 512u << 20;

bool Fine(DWORD error)
{
    return error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

ShareFolder::ShareFolder(disk::FileSystem& files, const std::wstring& folder, const ShareId& pc,
                         std::wstring pcName, const ShareKey& key)
    : m_files(files), m_root(sharenames::Root(folder)), m_own(m_root + pc.Hex() + L"\\"), m_pc(pc),
      m_pcName(std::move(pcName)), m_key(key)
{
}

DWORD ShareFolder::Open()
{
    DWORD error = m_files.CreateFolder(m_root.substr(0, m_root.size() - 1));
    if (Fine(error))
        error = m_files.CreateFolder(m_own.substr(0, m_own.size() - 1));
    if (!Fine(error))
        return error;
    std::vector<disk::Found> found;
    error = m_files.List(m_own, found);
    if (error != ERROR_SUCCESS)
        return error;
    // Never append to a file of an earlier run: the next number is a new file.
    std::uint32_t highest = 0;
    std::uint32_t snapshot = 0;
    for (const disk::Found& file : found) {
        segment::Kind kind;
        std::uint32_t number = 0;
        if (!file.folder && sharenames::Parse(file.name, kind, number)) {
            highest = std::max(highest, number);
            if (kind == segment::Kind::Snapshot)
                snapshot = std::max(snapshot, number);
        }
    }
    m_number = highest + 1;
    m_snapshotBase = std::max<std::uint32_t>(snapshot, 1);
    m_frames = 0;
    m_segment.clear();
    m_open = true;
    return ERROR_SUCCESS;
}

DWORD ShareFolder::WriteWhole(const std::wstring& name, const std::wstring& temp,
                              const std::vector<std::uint8_t>& bytes)
{
    DWORD error = disk::WriteFlushed(m_files, m_own + temp, bytes);
    if (error == ERROR_SUCCESS)
        error = disk::MoveReplacing(m_files, m_own + temp, m_own + name, disk::MoveWait::Once);
    return error;
}

DWORD ShareFolder::Append(const std::vector<ShareOp>& ops, const opcodec::Content& content)
{
    if (!m_open)
        return ERROR_NOT_READY;
    const segment::Header header{segment::Kind::Segment, m_pc, m_number, m_pcName};
    std::vector<std::uint8_t> bytes = m_segment.empty() ? segment::HeaderBytes(header) : m_segment;
    const size_t before = bytes.size();
    std::uint32_t frames = m_frames;
    for (const std::vector<std::uint8_t>& part : opcodec::EncodeInParts(ops, kFrameBound, content)) {
        const std::vector<std::uint8_t> frame = segment::FrameBytes(m_key, header, frames++, part, false);
        if (frame.empty())
            return ERROR_ENCRYPTION_FAILED;
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    const DWORD error = WriteWhole(sharenames::FileName(segment::Kind::Segment, m_number),
                                   sharenames::TempName(segment::Kind::Segment, m_number), bytes);
    if (error != ERROR_SUCCESS)
        return error;
    m_frames = frames;
    m_sinceSnapshot += bytes.size() - before;
    m_segment.swap(bytes);
    if (m_segment.size() >= kSegmentBound) {
        ++m_number;
        m_frames = 0;
        m_segment.clear();
    }
    return ERROR_SUCCESS;
}

DWORD ShareFolder::WriteSnapshot(const std::vector<ShareOp>& ops, const opcodec::Content& content)
{
    if (!m_open)
        return ERROR_NOT_READY;
    // The snapshot stands for every file before its number: the current segment closes first.
    const std::uint32_t number = m_segment.empty() ? m_number : m_number + 1;
    const segment::Header header{segment::Kind::Snapshot, m_pc, number, m_pcName};
    std::vector<std::uint8_t> bytes = segment::HeaderBytes(header);
    const std::vector<std::vector<std::uint8_t>> parts = opcodec::EncodeInParts(ops, kFrameBound, content);
    for (std::uint32_t frame = 0; frame < parts.size(); ++frame) {
        const std::vector<std::uint8_t> sealed =
            segment::FrameBytes(m_key, header, frame, parts[frame], frame + 1 == parts.size());
        if (sealed.empty())
            return ERROR_ENCRYPTION_FAILED;
        bytes.insert(bytes.end(), sealed.begin(), sealed.end());
    }
    const DWORD error = WriteWhole(sharenames::FileName(segment::Kind::Snapshot, number),
                                   sharenames::TempName(segment::Kind::Snapshot, number), bytes);
    if (error != ERROR_SUCCESS)
        return error;
    m_number = number;
    m_snapshotBase = number;
    m_snapshotBytes = bytes.size();
    m_sinceSnapshot = 0;
    m_frames = 0;
    m_segment.clear();
    RemoveOlderOwnFiles(number);
    return ERROR_SUCCESS;
}

void ShareFolder::RemoveOlderOwnFiles(std::uint32_t before)
{
    std::vector<disk::Found> found;
    if (m_files.List(m_own, found) != ERROR_SUCCESS)
        return;
    for (const disk::Found& file : found) {
        segment::Kind kind;
        std::uint32_t number = 0;
        // A file that cannot go now goes after the next snapshot.
        if (!file.folder && sharenames::Parse(file.name, kind, number) && number < before)
            m_files.Delete(m_own + file.name);
    }
}

DWORD ShareFolder::ReadOthers(std::vector<ShareOp>& ops)
{
    std::vector<disk::Found> found;
    const DWORD error = m_files.List(m_root, found);
    if (error != ERROR_SUCCESS)
        return error;
    for (const disk::Found& item : found) {
        ShareId pc;
        if (item.folder && ShareId::FromHex(item.name, pc) && pc != m_pc) {
            Peer& peer = m_peers[pc];
            peer.pc = pc;
            ReadPeer(peer, m_positions[pc], m_root + item.name + L"\\", ops);
        }
    }
    return ERROR_SUCCESS;
}

DWORD ShareFolder::ReadOwn(std::vector<ShareOp>& ops)
{
    if (!m_open)
        return ERROR_NOT_READY;
    Peer self;
    self.pc = m_pc;
    Position position;
    ReadPeer(self, position, m_own, ops);
    return ERROR_SUCCESS;
}

void ShareFolder::ReadPeer(Peer& peer, Position& position, const std::wstring& folder, std::vector<ShareOp>& ops)
{
    std::vector<disk::Found> found;
    if (m_files.List(folder, found) != ERROR_SUCCESS)
        return;
    std::uint32_t snapshot = 0;
    std::map<std::uint32_t, std::uint64_t> segments;
    for (const disk::Found& file : found) {
        segment::Kind kind;
        std::uint32_t number = 0;
        if (file.folder || !sharenames::Parse(file.name, kind, number))
            continue;
        if (kind == segment::Kind::Snapshot)
            snapshot = std::max(snapshot, number);
        else
            segments[number] = file.size;
    }
    if (snapshot > position.snapshot &&
        ReadSnapshot(folder + sharenames::FileName(segment::Kind::Snapshot, snapshot), peer, snapshot, ops)) {
        position.snapshot = snapshot;
        position.segments.erase(position.segments.begin(), position.segments.lower_bound(snapshot));
    }
    for (const auto& item : segments) {
        if (item.first < position.snapshot)
            continue;
        auto known = position.segments.find(item.first);
        if (known != position.segments.end() && item.second <= known->second.offset)
            continue;
        ReadSegment(folder + sharenames::FileName(segment::Kind::Segment, item.first), peer, item.first, position,
                    ops);
    }
}

bool ShareFolder::HeaderFits(const std::vector<std::uint8_t>& bytes, const ShareId& pc, segment::Kind kind,
                             std::uint32_t number, segment::Header& header, std::size_t& headerSize) const
{
    return segment::ParseHeader(bytes.data(), bytes.size(), header, headerSize) && header.kind == kind &&
           header.pc == pc && header.number == number;
}

bool ShareFolder::ReadSnapshot(const std::wstring& path, Peer& peer, std::uint32_t number,
                               std::vector<ShareOp>& ops)
{
    std::vector<BYTE> bytes;
    if (disk::ReadWhole(m_files, path, bytes, kMaxFile) != ERROR_SUCCESS)
        return false;
    segment::Header header;
    segment::Progress from;
    if (!HeaderFits(bytes, peer.pc, segment::Kind::Snapshot, number, header, from.offset))
        return false;
    std::vector<ShareOp> taken;
    const segment::Progress read = segment::ReadFrames(m_key, header, bytes.data(), bytes.size(), from, taken);
    peer.name = header.pcName;
    if (read.stop == segment::Stop::Damaged && read.frames == 0)
        peer.wrongKey = true;
    // A snapshot is taken whole or not at all.
    if (!read.sawLast || read.offset != bytes.size())
        return false;
    peer.read = true;
    peer.wrongKey = false;
    ops.insert(ops.end(), std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end()));
    return true;
}

void ShareFolder::ReadSegment(const std::wstring& path, Peer& peer, std::uint32_t number, Position& position,
                              std::vector<ShareOp>& ops)
{
    std::vector<BYTE> bytes;
    if (disk::ReadWhole(m_files, path, bytes, kMaxFile) != ERROR_SUCCESS)
        return;
    segment::Header header;
    segment::Progress from;
    if (!HeaderFits(bytes, peer.pc, segment::Kind::Segment, number, header, from.offset))
        return;
    peer.name = header.pcName;
    auto known = position.segments.find(number);
    if (known != position.segments.end())
        from = known->second;
    if (from.offset > bytes.size())
        return;
    const segment::Progress read = segment::ReadFrames(m_key, header, bytes.data(), bytes.size(), from, ops);
    if (read.stop == segment::Stop::Damaged && read.frames == 0)
        peer.wrongKey = true;
    if (read.frames > 0) {
        peer.read = true;
        peer.wrongKey = false;
    }
    position.segments[number] = read;
}

void ShareFolder::SavePositions(std::vector<std::uint8_t>& out) const
{
    lebytes::Put(out, m_positions.size(), 4);
    for (const auto& item : m_positions) {
        out.insert(out.end(), item.first.bytes.begin(), item.first.bytes.end());
        lebytes::Put(out, item.second.snapshot, 4);
        lebytes::Put(out, item.second.segments.size(), 4);
        for (const auto& seg : item.second.segments) {
            lebytes::Put(out, seg.first, 4);
            lebytes::Put(out, seg.second.offset, 8);
            lebytes::Put(out, seg.second.frames, 4);
        }
    }
}

bool ShareFolder::LoadPositions(const std::uint8_t* data, std::size_t size)
{
    lebytes::Reader in(data, size);
    std::map<ShareId, Position> positions;
    std::uint32_t peers = 0;
    if (!in.Take32(peers))
        return false;
    for (std::uint32_t i = 0; i < peers; ++i) {
        ShareId pc;
        Position position;
        std::uint32_t count = 0;
        if (!in.TakeBytes(pc.bytes.data(), 16) || !in.Take32(position.snapshot) || !in.Take32(count))
            return false;
        for (std::uint32_t s = 0; s < count; ++s) {
            std::uint32_t number = 0;
            std::uint64_t offset = 0;
            segment::Progress progress;
            if (!in.Take32(number) || !in.Take(offset, 8) || !in.Take32(progress.frames))
                return false;
            progress.offset = static_cast<std::size_t>(offset);
            position.segments[number] = progress;
        }
        positions[pc] = std::move(position);
    }
    if (in.Left() != 0)
        return false;
    m_positions = std::move(positions);
    return true;
}
