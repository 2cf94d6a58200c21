#pragma once
// CRC-32 (the IEEE polynomial of zip and PNG), for the checksums of the
// journal's records and of the history file a journal belongs to.
#include <cstddef>
#include <cstdint>

class Crc32 {
public:
    void Update(const void* data, std::size_t size);
    std::uint32_t Value() const { return ~m_state; }

    static std::uint32_t Of(const void* data, std::size_t size);

private:
    std::uint32_t m_state = 0xFFFFFFFFu;
};
