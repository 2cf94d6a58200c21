#include "history/store/formats/Crc32.h"

#include <array>
#include <cstring>

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

// Eight tables let the loop take eight bytes a step: the history file a journal
// belongs to is checked whole at start-up, and it can be 100 MB.
Tables MakeTables()
{
    Tables tables{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t value = byte;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        tables[0][byte] = value;
    }
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        for (std::size_t table = 1; table < 8; ++table)
            tables[table][byte] = (tables[table - 1][byte] >> 8) ^ tables[0][tables[table - 1][byte] & 0xFF];
    }
    return tables;
}

const Tables& Table()
{
    static const Tables tables = MakeTables();
    return tables;
}

std::uint32_t LoadLittleEndian(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

void Crc32::Update(const void* data, std::size_t size)
{
    const Tables& t = Table();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t crc = m_state;
    while (size >= 8) {
        const std::uint32_t low = LoadLittleEndian(bytes) ^ crc;
        const std::uint32_t high = LoadLittleEndian(bytes + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        bytes += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = (crc >> 8) ^ t[0][(crc ^ *bytes++) & 0xFF];
    m_state = crc;
}

std::uint32_t Crc32::Of(const void* data, std::size_t size)
{
    Crc32 crc;
    crc.Update(data, size);
    return crc.Value();
}
