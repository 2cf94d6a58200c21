#include "history/store/RecordSource.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;

}  // namespace

std::size_t RecordSource::ReadBytes(void* buffer, std::size_t count)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (m_taken == m_buffered) {
            // A large read goes straight to the caller's block.
            if (count - done >= kPiece) {
                const UINT got = m_file.Read(out + done, static_cast<UINT>(std::min<std::size_t>(count - done, 1u << 30)));
                if (got == 0)
                    break;
                done += got;
                continue;
            }
            m_buffer.resize(kPiece);
            m_buffered = m_file.Read(m_buffer.data(), static_cast<UINT>(kPiece));
            m_taken = 0;
            if (m_buffered == 0)
                break;
        }
        const std::size_t step = std::min(count - done, m_buffered - m_taken);
        std::memcpy(out + done, m_buffer.data() + m_taken, step);
        m_taken += step;
        done += step;
    }
    m_record.Update(buffer, done);
    m_position += done;
    return done;
}

void RecordSource::BeginRecord()
{
    m_record = Crc32();
    m_recordStart = m_position;
}

journal::RecordCheck RecordSource::EndRecord() const
{
    return {static_cast<std::uint32_t>(m_position - m_recordStart), m_record.Value()};
}

void RecordSource::SeekTo(std::uint64_t offset)
{
    if (offset == m_position)
        return;
    m_buffered = m_taken = 0;
    m_position = m_file.Seek(static_cast<LONGLONG>(offset), CFile::begin);
}

