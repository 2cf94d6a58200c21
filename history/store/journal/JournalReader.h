#pragma once
// Reads a journal (see JournalFormat.h) as a start replays it: its start, then
// change after change, a damaged frame stepped over where the chain allows.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "framework/ArchiveCore.h"
#include "history/store/journal/JournalFormat.h"

namespace journal {

class Reader {
public:
    // Opens a sealed journal's payload in place: whether it is the start frame,
    // the frame's offset and the chain (the CRC of the frame before it, 0 for
    // the start). False when it does not open.
    using Opener =
        std::function<bool(bool start, std::uint64_t offset, std::uint32_t chain, std::vector<std::uint8_t>& payload)>;

    // Without an opener only a plain journal is read; with one, only a sealed one.
    explicit Reader(ByteSource& source, Opener opener = nullptr) : m_source(source), m_opener(std::move(opener)) {}

    // False when the data is not a journal or its header frame is damaged.
    bool ReadStart(Header& header);

    enum class Next { Record, End, Damaged };
    Next ReadRecord(Record& record);

    // Bytes up to the end of the last whole frame: where appending may go on.
    std::uint64_t GoodLength() const { return m_good; }
    // The chain a frame appended there goes on with, and whether the journal chains its frames at all.
    std::uint32_t Chain() const { return m_goodChain; }
    bool Checked() const { return m_checked; }

private:
    Next ReadFrame(std::vector<std::uint8_t>& payload, std::uint32_t& crc);
    Next ReadCheckedRecord(Record& record);
    // A whole frame at `at` of the changes read, chained to `chain`.
    bool FrameAt(std::size_t at, std::uint32_t chain, std::vector<std::uint8_t>& payload, std::uint32_t& crc,
                 std::size_t& next);

    ByteSource& m_source;
    Opener m_opener;
    bool m_sealed = false;
    std::uint64_t m_good = 0;
    std::uint32_t m_chain = 0;      // after the last frame read, whole or stepped over
    std::uint32_t m_goodChain = 0;  // after the last whole frame
    bool m_checked = false;
    // A checked journal's changes, read whole.
    bool m_restRead = false;
    std::vector<std::uint8_t> m_rest;
    std::uint64_t m_restStart = 0;
    std::size_t m_at = 0;
    std::uint64_t m_checkedBytes = 0;
};

}  // namespace journal
