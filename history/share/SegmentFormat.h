#pragma once
// The files a PC writes into the shared folder. A segment ("<n>.qseg") holds
// the PC's changes in the order made; a snapshot ("<n>.qsnap") holds the whole
// history as that PC saw it, standing for its segments before n.
//
// Both: a header of "QSEG" or "QSNP", a 32-bit version (1), the PC's 16-byte
// id, the 32-bit file number, the PC's name (32-bit length in UTF-16 units,
// UTF-16LE: shown in messages, never copied content); then frames, each a
// 32-bit length and the sealed frame. A sealed frame opens only with the
// share's key and only as the frame it was written as (file kind, PC, number
// and frame index), so a frame moved, swapped or from another file is refused.
// Opened, a frame is a flags byte (1: the file's last frame) and operations.
#include <cstdint>
#include <string>
#include <vector>

#include "history/share/ShareKey.h"
#include "history/share/ShareOp.h"

namespace segment {

enum class Kind { Segment, Snapshot };

struct Header {
    Kind kind = Kind::Segment;
    ShareId pc;
    std::uint32_t number = 0;
    std::wstring pcName;
};

std::vector<std::uint8_t> HeaderBytes(const Header& header);
// The frame's bytes as they follow the header, from its operations as
// opcodec encodes them; empty when sealing failed.
std::vector<std::uint8_t> FrameBytes(const ShareKey& key, const Header& header, std::uint32_t index,
                                     const std::vector<std::uint8_t>& encodedOps, bool last);

// False when the bytes do not start with a whole header.
bool ParseHeader(const std::uint8_t* data, std::size_t size, Header& header, std::size_t& headerSize);

enum class Stop {
    End,      // every frame there was read
    Cut,      // the file ends inside a frame: the rest has not arrived
    Damaged,  // a frame does not open: another key, or bytes changed
};
struct Progress {
    std::size_t offset = 0;  // after the last frame read
    std::uint32_t frames = 0;
    bool sawLast = false;
    Stop stop = Stop::End;
};
// Reads the frames from `from` on, stopping at the end, at a cut or at a frame
// that does not open; the operations of whole frames go to `ops`.
Progress ReadFrames(const ShareKey& key, const Header& header, const std::uint8_t* data, std::size_t size,
                    Progress from, std::vector<ShareOp>& ops);

}  // namespace segment
