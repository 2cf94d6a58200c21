#pragma once
// In-memory streams and a Latin-1 stand-in for the system code page, for the
// native tests and the fuzz targets.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/ArchiveCore.h"

class MemorySink : public ByteSink {
public:
    void WriteBytes(const void* data, std::size_t count) override {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
    }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    explicit MemorySource(const std::vector<std::uint8_t>& bytes) : MemorySource(bytes.data(), bytes.size()) {}
    std::size_t ReadBytes(void* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, m_size - m_position);
        if (n > 0) std::memcpy(buffer, m_data + m_position, n);
        m_position += n;
        return n;
    }
    std::size_t Position() const { return m_position; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

// Code page 1252 without its 0x80-0x9F extras: every unit up to U+00FF maps to
// the byte of the same value, anything above is lossy.
class Latin1Codec : public AnsiCodec {
public:
    bool Encode(std::u16string_view text, std::string& out) const override {
        out.clear();
        for (const char16_t unit : text) {
            if (unit > 0xFF) return false;
            out.push_back(static_cast<char>(unit));
        }
        return true;
    }
    std::u16string Decode(const std::string& bytes) const override {
        std::u16string text;
        for (const char byte : bytes) text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(byte)));
        return text;
    }
};
