#include "history/share/SegmentFormat.h"

#include <windows.h>

#include <algorithm>

#include "history/share/LeBytes.h"
#include "history/share/OpCodec.h"

namespace segment {

namespace {

constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kMaxFrame = 256u << 20;
constexpr std::uint32_t kMaxNameUnits = 256;

const std::uint8_t* Magic(Kind kind)
{
    static const std::uint8_t kSegment[4] = {'Q', 'S', 'E', 'G'};
    static const std::uint8_t kSnapshot[4] = {'Q', 'S', 'N', 'P'};
    return kind == Kind::Segment ? kSegment : kSnapshot;
}

std::vector<std::uint8_t> Binding(const Header& header, std::uint32_t index)
{
    std::vector<std::uint8_t> aad(Magic(header.kind), Magic(header.kind) + 4);
    aad.insert(aad.end(), header.pc.bytes.begin(), header.pc.bytes.end());
    lebytes::Put(aad, header.number, 4);
    lebytes::Put(aad, index, 4);
    return aad;
}

}  // namespace

std::vector<std::uint8_t> HeaderBytes(const Header& header)
{
    std::vector<std::uint8_t> out(Magic(header.kind), Magic(header.kind) + 4);
    lebytes::Put(out, kVersion, 4);
    out.insert(out.end(), header.pc.bytes.begin(), header.pc.bytes.end());
    lebytes::Put(out, header.number, 4);
    const size_t units = std::min<size_t>(header.pcName.size(), kMaxNameUnits);
    lebytes::Put(out, units, 4);
    for (size_t i = 0; i < units; ++i)
        lebytes::Put(out, static_cast<std::uint16_t>(header.pcName[i]), 2);
    return out;
}

std::vector<std::uint8_t> FrameBytes(const ShareKey& key, const Header& header, std::uint32_t index,
                                     const std::vector<std::uint8_t>& encodedOps, bool last)
{
    std::vector<std::uint8_t> plain;
    plain.reserve(1 + encodedOps.size());
    plain.push_back(last ? 1 : 0);
    plain.insert(plain.end(), encodedOps.begin(), encodedOps.end());
    const std::vector<std::uint8_t> sealed = key.Seal(Binding(header, index), plain);
    SecureZeroMemory(plain.data(), plain.size());
    if (sealed.empty() || sealed.size() > kMaxFrame)
        return {};
    std::vector<std::uint8_t> out;
    out.reserve(4 + sealed.size());
    lebytes::Put(out, sealed.size(), 4);
    out.insert(out.end(), sealed.begin(), sealed.end());
    return out;
}

bool ParseHeader(const std::uint8_t* data, std::size_t size, Header& header, std::size_t& headerSize)
{
    if (size < 4)
        return false;
    if (std::equal(data, data + 4, Magic(Kind::Segment)))
        header.kind = Kind::Segment;
    else if (std::equal(data, data + 4, Magic(Kind::Snapshot)))
        header.kind = Kind::Snapshot;
    else
        return false;
    lebytes::Reader in(data + 4, size - 4);
    std::uint32_t version = 0;
    std::uint32_t units = 0;
    if (!in.Take32(version) || version != kVersion || !in.TakeBytes(header.pc.bytes.data(), 16) ||
        !in.Take32(header.number) || !in.Take32(units) || units > kMaxNameUnits || in.Left() / 2 < units)
        return false;
    header.pcName.clear();
    for (std::uint32_t i = 0; i < units; ++i) {
        std::uint64_t unit = 0;
        in.Take(unit, 2);
        header.pcName.push_back(static_cast<wchar_t>(unit));
    }
    headerSize = 4 + in.Pos();
    return true;
}

Progress ReadFrames(const ShareKey& key, const Header& header, const std::uint8_t* data, std::size_t size,
                    Progress from, std::vector<ShareOp>& ops)
{
    Progress at = from;
    at.stop = Stop::End;
    std::vector<std::uint8_t> plain;
    while (at.offset < size && !at.sawLast) {
        lebytes::Reader in(data + at.offset, size - at.offset);
        std::uint32_t length = 0;
        if (!in.Take32(length) || length > kMaxFrame) {
            at.stop = length > kMaxFrame ? Stop::Damaged : Stop::Cut;
            return at;
        }
        const std::uint8_t* sealed = in.Skip(length);
        if (!sealed) {
            at.stop = Stop::Cut;
            return at;
        }
        if (!key.Open(Binding(header, at.frames), sealed, length, plain) || plain.empty() ||
            !opcodec::Decode(plain.data() + 1, plain.size() - 1, ops)) {
            at.stop = Stop::Damaged;
            return at;
        }
        at.sawLast = (plain[0] & 1) != 0;
        SecureZeroMemory(plain.data(), plain.size());
        at.offset += 4 + length;
        ++at.frames;
    }
    return at;
}

}  // namespace segment
