#include "history/store/extras/ExtrasFormat.h"

#include <cstring>

#include "history/store/formats/Crc32.h"

namespace extras {

namespace {

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
    if (!DecodePayloadFormats(payload, static_cast<std::size_t>(length), record.formats))
        record.formats = Formats();
    file.records[static_cast<std::uint32_t>(Get(payload, 4))] = std::move(record);
    next = at + kRecordHead + static_cast<std::size_t>(length);
    return true;
}

}  // namespace

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int count)
{
    for (int b = 0; b < count; ++b)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
}

std::uint64_t Get(const std::uint8_t* bytes, int count)
{
    std::uint64_t value = 0;
    for (int b = 0; b < count; ++b)
        value |= static_cast<std::uint64_t>(bytes[b]) << (8 * b);
    return value;
}

std::vector<std::uint8_t> Encode(const File& file)
{
    std::vector<std::uint8_t> out = EncodeHeader(file.historySize, file.historyCrc);
    for (const auto& record : file.records)
        EncodeRecord(record.first, record.second, out);
    return out;
}

std::vector<std::uint8_t> EncodeHeader(std::uint64_t historySize, std::uint32_t historyCrc)
{
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    Put(out, kVersion, 4);
    Put(out, historySize, 8);
    Put(out, historyCrc, 4);
    return out;
}

Span EncodeRecord(std::uint32_t position, const Record& record, std::vector<std::uint8_t>& out)
{
    const std::size_t head = out.size();
    out.insert(out.end(), std::begin(kMarker), std::end(kMarker));
    Put(out, 0, 8);
    const std::size_t start = out.size();
    Put(out, position, 4);
    Put(out, record.captured, 8);
    if (!record.formats.Empty()) {
        Crc32 outline;
        EncodeFormats(record.formats, out, &outline, start);
        Put(out, outline.Value(), 4);
    }
    Span span;
    span.offset = start;
    span.length = static_cast<std::uint32_t>(out.size() - start);
    span.crc = Crc32::Of(out.data() + start, span.length);
    for (int b = 0; b < 4; ++b) {
        out[head + 4 + b] = static_cast<std::uint8_t>(span.length >> (8 * b));
        out[head + 8 + b] = static_cast<std::uint8_t>(span.crc >> (8 * b));
    }
    return span;
}

void EncodeFormats(const Formats& formats, std::vector<std::uint8_t>& out, Crc32* outline, std::size_t from)
{
    std::vector<FormatView> kept;
    for (const Format& format : formats.kept)
        kept.push_back({format.name, format.number, format.bytes.data(), format.bytes.size()});
    EncodeFormatViews(kept, formats.leftOut, formats.label, out, outline, from);
}

void EncodeFormatViews(const std::vector<FormatView>& kept, const std::vector<Format>& leftOut,
                       const std::u16string& label, std::vector<std::uint8_t>& out, Crc32* outline, std::size_t from)
{
    // Room for it all at once: the bytes may be megabytes, copied once.
    std::size_t size = 4 + 4 + 2 + 2 * label.size();
    for (const FormatView& format : kept)
        size += 2 + 2 * format.name.size() + 12 + format.size;
    for (const Format& format : leftOut)
        size += 2 + 2 * format.name.size() + 4;
    out.reserve(out.size() + size);
    // The outline's CRC runs over everything from `from` on but the formats' bytes.
    const auto outlineTo = [&](std::size_t end) {
        if (outline)
            outline->Update(out.data() + from, end - from);
    };
    Put(out, kept.size(), 4);
    for (const FormatView& format : kept) {
        PutName(out, format.name);
        Put(out, format.number, 4);
        Put(out, format.size, 4);
        Put(out, Crc32::Of(format.bytes, format.size), 4);
        outlineTo(out.size());
        out.insert(out.end(), format.bytes, format.bytes + format.size);
        from = out.size();
    }
    Put(out, leftOut.size(), 4);
    for (const Format& format : leftOut) {
        PutName(out, format.name);
        Put(out, format.number, 4);
    }
    PutName(out, label);
    outlineTo(out.size());
}

bool DecodePayloadFormats(const std::uint8_t* payload, std::size_t size, Formats& formats)
{
    formats = Formats();
    return size <= kLeastPayload || DecodeFormats(payload + kLeastPayload, size - kLeastPayload, formats);
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
