#pragma once
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/CFile.h"

// A file in memory, for an archive whose bytes are sealed before they reach
// the disk or opened after they left it: writes append to Bytes(), reads take
// from it in order.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    explicit CMemFile(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}

    UINT Read(void* buffer, UINT count) override
    {
        const size_t got = std::min<size_t>(count, m_bytes.size() - m_position);
        if (got > 0)
            std::memcpy(buffer, m_bytes.data() + m_position, got);
        m_position += got;
        return static_cast<UINT>(got);
    }
    void Write(const void* data, UINT count) override
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
    }
    void Flush() override {}

    const std::vector<BYTE>& Bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
    size_t m_position = 0;
};
