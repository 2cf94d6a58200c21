#pragma once
#include <cstdint>
#include <vector>

#include "framework/ArchiveCore.h"
#include "framework/CFile.h"
#include "history/store/formats/Crc32.h"
#include "history/store/journal/JournalFormat.h"

// The history file's records as a byte source, a record at a time: each
// record's size and CRC-32 as it is read (what a journal and the extras
// describe the file by), and a way back to where a record must start when a
// damaged one was read past its end.
class RecordSource : public ByteSource {
public:
    explicit RecordSource(CFile& file) : m_file(file) {}

    std::size_t ReadBytes(void* buffer, std::size_t count) override;

    void BeginRecord();
    journal::RecordCheck EndRecord() const;
    std::uint64_t Position() const { return m_position; }
    // Goes on reading at `offset` (a record's start that the description knows).
    void SeekTo(std::uint64_t offset);

private:
    CFile& m_file;
    // Read ahead a large piece at a time: a small one costs a read of the file per field.
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_buffered = 0;
    std::size_t m_taken = 0;
    std::uint64_t m_position = 0;
    std::uint64_t m_recordStart = 0;
    Crc32 m_record;
};
