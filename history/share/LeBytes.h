#pragma once
// Little-endian integers in and out of byte buffers, for the shared folder's files.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lebytes {

inline void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Reads from a span, refusing to run past its end.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Take(std::uint64_t& value, int bytes)
    {
        if (m_size - m_pos < static_cast<std::size_t>(bytes))
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(m_data[m_pos + static_cast<std::size_t>(i)]) << (8 * i);
        m_pos += static_cast<std::size_t>(bytes);
        return true;
    }
    bool Take32(std::uint32_t& value)
    {
        std::uint64_t v = 0;
        const bool ok = Take(v, 4);
        value = static_cast<std::uint32_t>(v);
        return ok;
    }
    bool TakeBytes(std::uint8_t* out, std::size_t count)
    {
        if (m_size - m_pos < count)
            return false;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = m_data[m_pos + i];
        m_pos += count;
        return true;
    }
    // The next `count` bytes, without copying them.
    const std::uint8_t* Skip(std::size_t count)
    {
        if (m_size - m_pos < count)
            return nullptr;
        const std::uint8_t* at = m_data + m_pos;
        m_pos += count;
        return at;
    }
    std::size_t Pos() const { return m_pos; }
    std::size_t Left() const { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace lebytes
