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
    file.records[static_cast<std::uint32_t>(Get(payload, 4))].captured = Get(payload + 4, 8);
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
        out.insert(out.end(), std::begin(kMarker), std::end(kMarker));
        Put(out, payload.size(), 4);
        Put(out, Crc32::Of(payload.data(), payload.size()), 4);
        out.insert(out.end(), payload.begin(), payload.end());
    }
    return out;
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
