#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "history/share/OpCodec.h"
#include "history/share/SegmentFormat.h"
#include "history/share/ShareKey.h"
#include "history/store/disk/FileSystem.h"

// This PC's place in the shared folder and what it has read of the others'.
// It writes only under "Quillary\<its id>\": segments that grow by whole
// frames (each version written under a temporary name, then renamed over the
// last), and now and then a snapshot that takes the place of its older files.
// It reads every other PC's files, remembering how far, and takes only whole
// frames that open with the key: a file cut short, not yet downloaded or
// damaged is tried again later.
class ShareFolder {
public:
    // A segment is closed and the next begun past this size.
    static constexpr std::size_t kSegmentBound = 256 * 1024;
    // Operations are sealed in frames of about this size (one operation may pass it).
    static constexpr std::size_t kFrameBound = 4u << 20;
    // A snapshot replaces the segments once there are this many since the last
    // one, and they hold as many bytes as it did: its cost is spread over them.
    static constexpr std::uint32_t kSegmentsPerSnapshot = 8;

    struct Peer {
        ShareId pc;
        std::wstring name;
        bool read = false;      // something of it opened with the key
        bool wrongKey = false;  // its files do not open with this key
    };

    // `folder`: the folder the user chose.
    ShareFolder(disk::FileSystem& files, const std::wstring& folder, const ShareId& pc, std::wstring pcName,
                const ShareKey& key);

    // Makes this PC's folder and starts a new segment after any it wrote
    // before. ERROR_SUCCESS, or why the folder is not reachable.
    DWORD Open();
    bool IsOpen() const { return m_open; }
    // Adds the operations to the current segment (one frame, or more for
    // large ones). On failure nothing counts as written.
    DWORD Append(const std::vector<ShareOp>& ops, const opcodec::Content& content);
    // Writes the whole history as a snapshot and removes this PC's older files.
    DWORD WriteSnapshot(const std::vector<ShareOp>& ops, const opcodec::Content& content);
    bool WantsSnapshot() const
    {
        return m_number - m_snapshotBase >= kSegmentsPerSnapshot && m_sinceSnapshot >= m_snapshotBytes;
    }

    // What the other PCs wrote since the last call.
    DWORD ReadOthers(std::vector<ShareOp>& ops);
    // What this PC wrote in earlier runs: the folder holds what its own state
    // file may have missed (a run that ended between the two).
    DWORD ReadOwn(std::vector<ShareOp>& ops);
    const std::map<ShareId, Peer>& Peers() const { return m_peers; }

    // How far each PC's files were read, kept by this PC between runs.
    void SavePositions(std::vector<std::uint8_t>& out) const;
    bool LoadPositions(const std::uint8_t* data, std::size_t size);

private:
    struct Position {
        std::uint32_t snapshot = 0;  // the snapshot taken whole; segments before it are in it
        std::map<std::uint32_t, segment::Progress> segments;
    };

    DWORD WriteWhole(const std::wstring& name, const std::wstring& temp, const std::vector<std::uint8_t>& bytes);
    void RemoveOlderOwnFiles(std::uint32_t before);
    void ReadPeer(Peer& peer, Position& position, const std::wstring& folder, std::vector<ShareOp>& ops);
    bool ReadSnapshot(const std::wstring& path, Peer& peer, std::uint32_t number, std::vector<ShareOp>& ops);
    void ReadSegment(const std::wstring& path, Peer& peer, std::uint32_t number, Position& position,
                     std::vector<ShareOp>& ops);
    bool HeaderFits(const std::vector<std::uint8_t>& bytes, const ShareId& pc, segment::Kind kind,
                    std::uint32_t number, segment::Header& header, std::size_t& headerSize) const;

    disk::FileSystem& m_files;
    std::wstring m_root;
    std::wstring m_own;
    ShareId m_pc;
    std::wstring m_pcName;
    const ShareKey& m_key;
    bool m_open = false;

    std::uint32_t m_number = 1;  // the current segment
    std::uint32_t m_snapshotBase = 1;
    std::uint32_t m_frames = 0;
    std::vector<std::uint8_t> m_segment;  // its bytes as written
    std::uint64_t m_snapshotBytes = 0;    // the last snapshot's size
    std::uint64_t m_sinceSnapshot = 0;    // bytes of segments written since

    std::map<ShareId, Position> m_positions;
    std::map<ShareId, Peer> m_peers;
};
