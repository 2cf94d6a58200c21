#include "history/store/journal/JournalReader.h"

#include <algorithm>
#include <cstring>

#include "history/store/formats/Crc32.h"

namespace journal {

namespace {

constexpr std::size_t kFrameHead = kFrameHeadBytes;
// A frame's payload is read in pieces of this: a damaged length costs no more memory than the data holds.
constexpr std::size_t kReadChunk = 1 << 20;

std::uint32_t LittleEndian32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace

Reader::Next Reader::ReadFrame(std::vector<std::uint8_t>& payload, std::uint32_t& crc)
{
    std::uint8_t head[kFrameHead];
    const std::size_t got = m_source.ReadBytes(head, sizeof head);
    if (got == 0)
        return Next::End;
    if (got < sizeof head)
        return Next::Damaged;
    const std::uint32_t length = LittleEndian32(head);
    crc = LittleEndian32(head + 4);
    // Read in chunks, so a damaged length costs no more memory than the data holds.
    payload.clear();
    while (payload.size() < length) {
        const std::size_t at = payload.size();
        const std::size_t chunk = std::min<std::size_t>(length - at, kReadChunk);
        payload.resize(at + chunk);
        if (m_source.ReadBytes(payload.data() + at, chunk) != chunk)
            return Next::Damaged;
    }
    if ((m_checked ? ChainedCrc(0, payload.data(), payload.size()) : Crc32::Of(payload.data(), payload.size())) != crc)
        return Next::Damaged;
    return Next::Record;
}

bool Reader::FrameAt(std::size_t at, std::uint32_t chain, std::vector<std::uint8_t>& payload, std::uint32_t& crc,
                     std::size_t& next)
{
    if (m_rest.size() - at < kFrameHead)
        return false;
    const std::uint32_t length = LittleEndian32(m_rest.data() + at);
    crc = LittleEndian32(m_rest.data() + at + 4);
    if (length > m_rest.size() - at - kFrameHead)
        return false;
    // What checking candidates may cost in all: a few times the journal, never more.
    m_checkedBytes += length;
    if (m_checkedBytes > 4 * m_rest.size() + (1u << 16) ||
        ChainedCrc(chain, m_rest.data() + at + kFrameHead, length) != crc)
        return false;
    payload.assign(m_rest.begin() + static_cast<std::ptrdiff_t>(at + kFrameHead),
                   m_rest.begin() + static_cast<std::ptrdiff_t>(at + kFrameHead + length));
    next = at + kFrameHead + length;
    return true;
}

Reader::Next Reader::ReadCheckedRecord(Record& record)
{
    if (!m_restRead) {
        // The changes after the start are read whole: a damaged frame is stepped over, not an end.
        m_restRead = true;
        std::uint8_t piece[1 << 14];
        for (std::size_t got; (got = m_source.ReadBytes(piece, sizeof piece)) > 0;)
            m_rest.insert(m_rest.end(), piece, piece + got);
        m_restStart = m_good;
    }
    std::vector<std::uint8_t> payload;
    while (m_at < m_rest.size()) {
        std::uint32_t crc = 0;
        std::size_t next = 0;
        if (FrameAt(m_at, m_chain, payload, crc, next)) {
            const bool opened = !m_sealed || m_opener(false, m_restStart + m_at, m_chain, payload);
            m_at = next;
            m_chain = crc;
            if (opened && DecodeRecord(payload, record)) {
                m_good = m_restStart + next;
                m_goodChain = crc;
                return Next::Record;
            }
            // Whole but not a change this version knows: stepped over, the chain goes on.
            continue;
        }
        // Damaged here: the next frame is the first place whose frame chains to this one, by the CRC this
        // one says it has (its payload damaged, or its length) or by the bytes since (its CRC damaged), or
        // to the one before (bytes put in between).
        // Copied content never passes for one: it would have to know the chain.
        const std::uint32_t said = m_rest.size() - m_at >= kFrameHead ? LittleEndian32(m_rest.data() + m_at + 4) : 0;
        Crc32 damaged;
        const std::uint8_t before[4] = {static_cast<std::uint8_t>(m_chain), static_cast<std::uint8_t>(m_chain >> 8),
                                        static_cast<std::uint8_t>(m_chain >> 16),
                                        static_cast<std::uint8_t>(m_chain >> 24)};
        damaged.Update(before, sizeof before);
        bool found = false;
        std::size_t summed = m_at + kFrameHead;
        for (std::size_t candidate = summed; candidate + kFrameHead <= m_rest.size(); ++candidate) {
            damaged.Update(m_rest.data() + summed, candidate - summed);
            summed = candidate;
            for (const std::uint32_t chain : {said, damaged.Value(), m_chain}) {
                if (FrameAt(candidate, chain, payload, crc, next)) {
                    m_chain = chain;
                    m_at = candidate;
                    found = true;
                    break;
                }
            }
            if (found)
                break;
        }
        if (!found)
            return Next::Damaged;
    }
    return Next::End;
}

bool Reader::ReadStart(Header& header)
{
    std::uint8_t start[8];
    if (m_source.ReadBytes(start, sizeof start) != sizeof start || std::memcmp(start, kJournalMagic, 4) != 0)
        return false;
    const std::uint32_t version = LittleEndian32(start + 4);
    // A reader with an opener reads sealed journals alone: a plain one under the sealed name is refused.
    m_sealed = m_opener != nullptr;
    const bool checked = version == (m_sealed ? kCheckedSealedVersion : kCheckedVersion);
    m_checked = checked;
    std::vector<std::uint8_t> payload;
    std::uint32_t crc = 0;
    if ((!checked && version != (m_sealed ? kSealedVersion : kVersion)) || ReadFrame(payload, crc) != Next::Record)
        return false;
    const std::size_t frameBytes = kFrameHead + payload.size();
    if (m_sealed && !m_opener(true, sizeof start, 0, payload))
        return false;
    m_chain = m_goodChain = crc;
    if (!DecodeStart(payload, checked, header))
        return false;
    m_good = sizeof start + frameBytes;
    return true;
}

Reader::Next Reader::ReadRecord(Record& record)
{
    if (m_checked)
        return ReadCheckedRecord(record);
    std::vector<std::uint8_t> payload;
    std::uint32_t crc = 0;
    const Next next = ReadFrame(payload, crc);
    if (next != Next::Record)
        return next;
    const std::size_t frameBytes = kFrameHead + payload.size();
    if ((m_sealed && !m_opener(false, m_good, m_chain, payload)) || !DecodeRecord(payload, record))
        return Next::Damaged;
    m_good += frameBytes;
    m_chain = m_goodChain = crc;
    return Next::Record;
}

}  // namespace journal
