#include "history/store/ExtrasFormat.h"

#include <cstring>

#include "history/store/Crc32.h"

namespace extras {

namespace {

constexpr std::uint8_t kMagic[4] = {'Q', 'X', 'T', 'R'};
constexpr std::uint8_t kMarker[4] = {'Q', 'X', 'R', 'C'};
constexpr std::size_t kHeaderSize = 4 + 4 + 8 + 4;
constexpr std::size_t kRecordHead = 4 + 4 + 4;
constexpr std::size_t kLeastPayload = 4 + 8;

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
}

std::uint64_t Get(const std::uint8_t* bytes, int count)
{
    std::uint64_t value = 0;
    for (int b = 0; b < count; ++b)
        value |= static_cast<std::uint64_t>(bytes[b]) << (8 * b);
    return value;
}

// Reads little-endian values and names from a payload, and says whether all were there.
class Cursor {
public:
    Cursor(const std::uint8_t* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
    std::uint64_t Take(int count)
    {
        if (!Has(static_cast<std::size_t>(count)))
            return 0;
        const std::uint64_t value = Get(m_bytes + m_at, count);
        m_at += static_cast<std::size_t>(count);
        return value;
    }
    std::u16string Name()
    {
        const std::size_t units = static_cast<std::size_t>(Take(2));
        std::u16string name;
        for (std::size_t i = 0; i < units && Has(2); ++i)
            name.push_back(static_cast<char16_t>(Take(2)));
        return name;
    }
    bool Bytes(std::size_t count, std::vector<std::uint8_t>& out)
    {
        if (!Has(count))
            return false;
        out.assign(m_bytes + m_at, m_bytes + m_at + count);
        m_at += count;
        return true;
    }
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_at == m_size; }

private:
    bool Has(std::size_t count)
    {
        m_ok = m_ok && m_size - m_at >= count;
        return m_ok;
    }

    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

void PutName(std::vector<std::uint8_t>& out, const std::u16string& name)
{
    const std::size_t units = name.size() < 0xFFFF ? name.size() : 0xFFFF;
    Put(out, units, 2);
    for (std::size_t i = 0; i < units; ++i)
        Put(out, name[i], 2);
}

// The record at `at`, when it is whole; `next` is where the following one may start.
bool ReadRecord(const std::uint8_t* bytes, std::size_t size, std::size_t at, File& file, std::size_t& next)
{
    next = at + 1;
    if (size - at < kRecordHead || std::memcmp(bytes + at, kMarker, sizeof kMarker) != 0)
        return false;
    const std::uint64_t length = Get(bytes + at + 4, 4);
    if (length < kLeastPayload || length > size - at - kRecordHead)
        return false;
    const std::uint8_t* payload = bytes + at + kRecordHead;
    if (Crc32::Of(payload, static_cast<std::size_t>(length)) != Get(bytes + at + 8, 4))
        return false;
    Record record;
    record.captured = Get(payload + 4, 8);
    // Formats that do not read whole cost this entry its formats, never its time.
    if (length > kLeastPayload &&
        !DecodeFormats(payload + kLeastPayload, static_cast<std::size_t>(length) - kLeastPayload, record.formats))
        record.formats = Formats();
    file.records[static_cast<std::uint32_t>(Get(payload, 4))] = std::move(record);
    next = at + kRecordHead + static_cast<std::size_t>(length);
    return true;
}

}  // namespace

std::vector<std::uint8_t> Encode(const File& file)
{
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    Put(out, kVersion, 4);
    Put(out, file.historySize, 8);
    Put(out, file.historyCrc, 4);
    for (const auto& record : file.records) {
        std::vector<std::uint8_t> payload;
        Put(payload, record.first, 4);
        Put(payload, record.second.captured, 8);
        if (!record.second.formats.Empty())
            EncodeFormats(record.second.formats, payload);
        out.insert(out.end(), std::begin(kMarker), std::end(kMarker));
        Put(out, payload.size(), 4);
        Put(out, Crc32::Of(payload.data(), payload.size()), 4);
        out.insert(out.end(), payload.begin(), payload.end());
    }
    return out;
}

void EncodeFormats(const Formats& formats, std::vector<std::uint8_t>& out)
{
    Put(out, formats.kept.size(), 4);
    for (const Format& format : formats.kept) {
        PutName(out, format.name);
        Put(out, format.number, 4);
        Put(out, format.bytes.size(), 4);
        Put(out, Crc32::Of(format.bytes.data(), format.bytes.size()), 4);
        out.insert(out.end(), format.bytes.begin(), format.bytes.end());
    }
    Put(out, formats.leftOut.size(), 4);
    for (const Format& format : formats.leftOut) {
        PutName(out, format.name);
        Put(out, format.number, 4);
    }
    PutName(out, formats.label);
}

bool DecodeFormats(const std::uint8_t* bytes, std::size_t size, Formats& formats)
{
    formats = Formats();
    Cursor in(bytes, size);
    const std::uint64_t kept = in.Take(4);
    for (std::uint64_t i = 0; in.Ok() && i < kept; ++i) {
        Format format;
        format.name = in.Name();
        format.number = static_cast<std::uint32_t>(in.Take(4));
        const std::size_t length = static_cast<std::size_t>(in.Take(4));
        const std::uint64_t crc = in.Take(4);
        if (!in.Bytes(length, format.bytes) || Crc32::Of(format.bytes.data(), format.bytes.size()) != crc)
            return false;
        formats.kept.push_back(std::move(format));
    }
    const std::uint64_t leftOut = in.Take(4);
    for (std::uint64_t i = 0; in.Ok() && i < leftOut; ++i) {
        Format format;
        format.name = in.Name();
        format.number = static_cast<std::uint32_t>(in.Take(4));
        formats.leftOut.push_back(std::move(format));
    }
    formats.label = in.Name();
    return in.Ok();
}

bool Decode(const std::uint8_t* bytes, std::size_t size, File& file)
{
    file = File();
    if (size < kHeaderSize || std::memcmp(bytes, kMagic, sizeof kMagic) != 0 || Get(bytes + 4, 4) != kVersion)
        return false;
    file.historySize = Get(bytes + 8, 8);
    file.historyCrc = static_cast<std::uint32_t>(Get(bytes + 16, 4));
    std::size_t at = kHeaderSize;
    while (at < size) {
        std::size_t next = at;
        ReadRecord(bytes, size, at, file, next);
        at = next;
    }
    return true;
}

}  // namespace extras
