#include "history/store/extras/ExtrasIndex.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace extras {

namespace {

// Records up to this are read whole: reading their outline alone saves nothing.
constexpr std::uint32_t kWholeReadLimit = 4096;
// One page: the outline of a record with large formats is all a start reads of it.
constexpr std::size_t kWindow = 4096;

// Reads the source forward through a window, up to a limit, summing what it
// takes into an outline CRC when asked.
class Reader {
public:
    explicit Reader(const Source& source) : m_source(source), m_size(source.Size()), m_limit(m_size) {}

    std::uint64_t Size() const { return m_size; }
    std::uint64_t At() const { return m_at; }
    void Start(std::uint64_t at, std::uint64_t limit, Crc32* outline)
    {
        m_at = at;
        m_limit = std::min(limit, m_size);
        m_outline = outline;
    }
    bool Take(std::uint8_t* out, std::size_t count, bool summed = true)
    {
        // Nothing to take (an empty name): `out` may be null.
        if (count == 0)
            return true;
        if (m_limit - m_at < count || !Copy(m_at, out, count))
            return false;
        if (summed && m_outline)
            m_outline->Update(out, count);
        m_at += count;
        return true;
    }
    bool Value(int count, std::uint64_t& value, bool summed = true)
    {
        std::uint8_t bytes[8];
        if (!Take(bytes, static_cast<std::size_t>(count), summed))
            return false;
        value = Get(bytes, count);
        return true;
    }
    bool Skip(std::uint64_t count)
    {
        if (m_limit - m_at < count)
            return false;
        m_at += count;
        return true;
    }

private:
    bool Copy(std::uint64_t at, std::uint8_t* out, std::size_t count)
    {
        if (count > kWindow)
            return m_source.ReadAt(at, out, count);
        if (at < m_windowAt || at + count > m_windowAt + m_window.size()) {
            m_window.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, m_size - at)));
            m_windowAt = at;
            if (!m_source.ReadAt(at, m_window.data(), m_window.size())) {
                m_window.clear();
                return false;
            }
        }
        std::memcpy(out, m_window.data() + (at - m_windowAt), count);
        return true;
    }

    const Source& m_source;
    std::uint64_t m_size;
    std::uint64_t m_limit;
    std::uint64_t m_at = 0;
    Crc32* m_outline = nullptr;
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_windowAt = 0;
};

bool TakeName(Reader& in, std::u16string& name)
{
    std::uint64_t units = 0;
    if (!in.Value(2, units))
        return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(units) * 2);
    if (!in.Take(bytes.data(), bytes.size()))
        return false;
    name.clear();
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        name.push_back(static_cast<char16_t>(Get(&bytes[i], 2)));
    return true;
}

bool TakeFormat(Reader& in, const KeepBytes& keepBytes, Format& format, bool summed = false)
{
    std::uint64_t number = 0, length = 0, crc = 0;
    if (!TakeName(in, format.name) || !in.Value(4, number) || !in.Value(4, length) || !in.Value(4, crc))
        return false;
    format.number = static_cast<std::uint32_t>(number);
    if (!keepBytes(format))
        return in.Skip(length);
    if (length > in.Size())
        return false;
    format.bytes.resize(static_cast<std::size_t>(length));
    return in.Take(format.bytes.data(), format.bytes.size(), summed) &&
           Crc32::Of(format.bytes.data(), format.bytes.size()) == crc;
}

// The formats at the reader, each kept format's bytes read when `keepBytes` names
// it (and summed when `summed`), else skipped.
bool TakeFormats(Reader& in, const KeepBytes& keepBytes, bool summed, Formats& formats)
{
    std::uint64_t count = 0;
    if (!in.Value(4, count))
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        Format format;
        if (!TakeFormat(in, keepBytes, format, summed))
            return false;
        formats.kept.push_back(std::move(format));
    }
    if (!in.Value(4, count))
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        Format format;
        std::uint64_t number = 0;
        if (!TakeName(in, format.name) || !in.Value(4, number))
            return false;
        format.number = static_cast<std::uint32_t>(number);
        formats.leftOut.push_back(std::move(format));
    }
    return TakeName(in, formats.label);
}

// The payload at the reader read without the bytes of its formats, when its outline CRC holds.
bool TakeOutline(Reader& in, const KeepBytes& keepBytes, IndexedRecord& record, std::uint64_t& position)
{
    Crc32 outline;
    in.Start(record.span.offset, record.span.offset + record.span.length, &outline);
    std::uint64_t stored = 0;
    return in.Value(4, position) && in.Value(8, record.captured) &&
           TakeFormats(in, keepBytes, false, record.outline) && in.Value(4, stored, false) &&
           stored == outline.Value();
}

// The payload at the reader read whole and checked by the record's CRC-32.
bool TakeWhole(Reader& in, const KeepBytes& keepBytes, IndexedRecord& record, std::uint64_t& position)
{
    std::vector<std::uint8_t> payload(record.span.length);
    in.Start(record.span.offset, record.span.offset + record.span.length, nullptr);
    if (!in.Take(payload.data(), payload.size()) || Crc32::Of(payload.data(), payload.size()) != record.span.crc)
        return false;
    position = Get(payload.data(), 4);
    record.captured = Get(payload.data() + 4, 8);
    // Formats that do not read whole cost this entry its formats, never its time.
    if (!DecodePayloadFormats(payload.data(), payload.size(), record.outline))
        record.outline = Formats();
    for (Format& format : record.outline.kept) {
        if (!keepBytes(format))
            std::vector<std::uint8_t>().swap(format.bytes);
    }
    return true;
}

// The record at `at`, when it is whole; `next` is where the following one may start.
bool IndexRecord(Reader& in, std::uint64_t at, const KeepBytes& keepBytes, Index& index, std::uint64_t& next)
{
    next = at + 1;
    std::uint8_t head[kRecordHead];
    in.Start(at, in.Size(), nullptr);
    if (!in.Take(head, sizeof head) || std::memcmp(head, kMarker, sizeof kMarker) != 0)
        return false;
    IndexedRecord record;
    const std::uint64_t length = Get(head + 4, 4);
    if (length < kLeastPayload || length > in.Size() - at - kRecordHead)
        return false;
    record.span = {at + kRecordHead, static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(Get(head + 8, 4))};
    std::uint64_t position = 0;
    if (length <= kWholeReadLimit || !TakeOutline(in, keepBytes, record, position)) {
        const Span span = record.span;
        record = IndexedRecord();
        record.span = span;
        if (!TakeWhole(in, keepBytes, record, position))
            return false;
    }
    index.records[static_cast<std::uint32_t>(position)] = std::move(record);
    next = at + kRecordHead + length;
    return true;
}

// Bytes in memory as a source, for the formats a journal or a whole record holds.
class MemorySource : public Source {
public:
    MemorySource(const std::uint8_t* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override
    {
        if (offset > m_size || m_size - offset < count)
            return false;
        std::memcpy(out, m_bytes + offset, count);
        return true;
    }

private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
};

}  // namespace

bool DecodeFormats(const std::uint8_t* bytes, std::size_t size, Formats& formats)
{
    formats = Formats();
    const MemorySource source(bytes, size);
    Reader in(source);
    return TakeFormats(in, [](const Format&) { return true; }, false, formats);
}

bool ReadRecordFormats(const Source& source, const Span& span, Formats& formats)
{
    formats = Formats();
    Reader in(source);
    Crc32 whole;
    in.Start(span.offset, span.offset + span.length, &whole);
    std::uint64_t position = 0, captured = 0;
    if (!in.Value(4, position) || !in.Value(8, captured))
        return false;
    // Each format's bytes go straight into their own block, summed on the way.
    const KeepBytes all = [](const Format&) { return true; };
    if (span.length > kLeastPayload && !TakeFormats(in, all, true, formats))
        return false;
    // What follows (the outline's CRC, a later version's fields) is part of the record's sum.
    std::vector<std::uint8_t> rest(static_cast<std::size_t>(span.offset + span.length - in.At()));
    return in.Take(rest.data(), rest.size()) && whole.Value() == span.crc;
}

bool IndexRecords(const Source& source, const KeepBytes& keepBytes, Index& index)
{
    index = Index();
    Reader in(source);
    std::uint8_t header[kHeaderSize];
    if (in.Size() < kHeaderSize || !in.Take(header, sizeof header) ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0 || Get(header + 4, 4) != kVersion)
        return false;
    index.historySize = Get(header + 8, 8);
    index.historyCrc = static_cast<std::uint32_t>(Get(header + 16, 4));
    std::uint64_t at = kHeaderSize;
    while (at < in.Size()) {
        std::uint64_t next = at;
        IndexRecord(in, at, keepBytes, index, next);
        at = next;
    }
    return true;
}

}  // namespace extras
