#include "history/store/journal/JournalFormat.h"

#include <algorithm>
#include <cstring>

#include "history/store/formats/Crc32.h"
#include "history/store/saveset/SetFileNames.h"

namespace journal {
namespace {

constexpr std::uint8_t kIntentMagic[4] = {'Q', 'I', 'N', 'T'};
// Version 2 names the files the set leaves stale after its moves.
constexpr std::uint32_t kIntentVersion = 2;
constexpr std::size_t kFrameHead = 8;
// Texts whose units all fit a byte are stored a byte a unit.
constexpr std::uint8_t kTextLatin1 = 0;
constexpr std::uint8_t kTextUtf16 = 1;

std::uint32_t LittleEndian32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

class Writer {
public:
    Writer()
    {
        m_bytes.reserve(64);
        m_bytes.resize(kFrameHead);
    }
    void U8(std::uint8_t value) { m_bytes.push_back(value); }
    void U32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    void U64(std::uint64_t value)
    {
        U32(static_cast<std::uint32_t>(value));
        U32(static_cast<std::uint32_t>(value >> 32));
    }
    void Ids(const std::vector<std::uint64_t>& ids)
    {
        U32(static_cast<std::uint32_t>(ids.size()));
        for (std::uint64_t id : ids)
            U64(id);
    }
    void Text(std::u16string_view text)
    {
        const bool narrow = std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x100; });
        U8(narrow ? kTextLatin1 : kTextUtf16);
        U32(static_cast<std::uint32_t>(text.size()));
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + text.size() * (narrow ? 1 : 2));
        std::uint8_t* out = m_bytes.data() + at;
        for (char16_t unit : text) {
            *out++ = static_cast<std::uint8_t>(unit);
            if (!narrow)
                *out++ = static_cast<std::uint8_t>(unit >> 8);
        }
    }
    void Bytes(const std::vector<std::uint8_t>& bytes)
    {
        U32(static_cast<std::uint32_t>(bytes.size()));
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    void Raw(const std::uint8_t* bytes, std::size_t size) { m_bytes.insert(m_bytes.end(), bytes, bytes + size); }
    // The frame: the payload's length and checksum in front of it.
    std::vector<std::uint8_t> Frame()
    {
        const std::size_t payload = m_bytes.size() - kFrameHead;
        const std::uint32_t crc = Crc32::Of(m_bytes.data() + kFrameHead, payload);
        for (int i = 0; i < 4; ++i) {
            m_bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(payload >> (8 * i));
            m_bytes[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(crc >> (8 * i));
        }
        return std::move(m_bytes);
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads a payload; any read past its end, or bytes left over, make it damaged.
class Cursor {
public:
    explicit Cursor(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_position == m_bytes.size(); }
    const std::uint8_t* Take(std::size_t count)
    {
        if (!m_ok || m_bytes.size() - m_position < count) {
            m_ok = false;
            return nullptr;
        }
        const std::uint8_t* at = m_bytes.data() + m_position;
        m_position += count;
        return at;
    }
    std::uint8_t U8()
    {
        const std::uint8_t* at = Take(1);
        return at ? *at : 0;
    }
    std::uint32_t U32()
    {
        const std::uint8_t* at = Take(4);
        return at ? LittleEndian32(at) : 0;
    }
    std::uint64_t U64()
    {
        const std::uint64_t low = U32();
        return low | (static_cast<std::uint64_t>(U32()) << 32);
    }
    std::vector<std::uint64_t> Ids()
    {
        const std::uint32_t count = U32();
        std::vector<std::uint64_t> ids;
        if (!m_ok || (m_bytes.size() - m_position) / 8 < count) {
            m_ok = false;
            return ids;
        }
        ids.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            ids.push_back(U64());
        return ids;
    }
    std::u16string Text()
    {
        const std::uint8_t form = U8();
        const std::uint32_t units = U32();
        const std::size_t width = form == kTextUtf16 ? 2 : 1;
        if (form > kTextUtf16 || (m_ok && (m_bytes.size() - m_position) / width < units)) {
            m_ok = false;
            return {};
        }
        const std::uint8_t* at = Take(units * width);
        std::u16string text(units, u'\0');
        for (std::uint32_t i = 0; at && i < units; ++i)
            text[i] = width == 1 ? at[i] : static_cast<char16_t>(at[2 * i] | (at[2 * i + 1] << 8));
        return text;
    }
    std::vector<std::uint8_t> Bytes()
    {
        const std::uint32_t count = U32();
        const std::uint8_t* at = Take(count);
        return at ? std::vector<std::uint8_t>(at, at + count) : std::vector<std::uint8_t>();
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_position = 0;
    bool m_ok = true;
};

void WriteRecordBody(Writer& out, const Record& record)
{
    out.U8(static_cast<std::uint8_t>(record.op));
    out.U64(record.time);
    switch (record.op) {
    case Op::InsertText:
        out.U64(record.ids.empty() ? 0 : record.ids[0]);
        out.Text(record.text);
        break;
    case Op::InsertTextWithFormats:
        out.U64(record.ids.empty() ? 0 : record.ids[0]);
        out.Text(record.text);
        out.Bytes(record.formats);
        break;
    case Op::MoveBelowTopWithFormats:
        out.U64(record.ids.empty() ? 0 : record.ids[0]);
        out.Bytes(record.formats);
        break;
    case Op::InsertPicture:
        out.U64(record.ids.empty() ? 0 : record.ids[0]);
        out.Text(record.text);
        out.Bytes(record.picture);
        break;
    case Op::Remove:
    case Op::SetTop:
        out.Ids(record.ids);
        break;
    case Op::MoveBelowTop:
        out.U64(record.ids.empty() ? 0 : record.ids[0]);
        break;
    case Op::Clear:
        break;
    }
}

bool ParseRecord(const std::vector<std::uint8_t>& payload, Record& record)
{
    Cursor in(payload);
    record = Record();
    record.op = static_cast<Op>(in.U8());
    record.time = in.U64();
    switch (record.op) {
    case Op::InsertText:
        record.ids = {in.U64()};
        record.text = in.Text();
        break;
    case Op::InsertTextWithFormats:
        record.ids = {in.U64()};
        record.text = in.Text();
        record.formats = in.Bytes();
        break;
    case Op::MoveBelowTopWithFormats:
        record.ids = {in.U64()};
        record.formats = in.Bytes();
        break;
    case Op::InsertPicture:
        record.ids = {in.U64()};
        record.text = in.Text();
        record.picture = in.Bytes();
        break;
    case Op::Remove:
    case Op::SetTop:
        record.ids = in.Ids();
        break;
    case Op::MoveBelowTop:
        record.ids = {in.U64()};
        break;
    case Op::Clear:
        break;
    default:
        return false;
    }
    return in.Ok() && in.AtEnd();
}

// Magic and version in front of a file's first frame.
std::vector<std::uint8_t> WithStart(const std::uint8_t (&magic)[4], const std::vector<std::uint8_t>& frame,
                                    std::uint32_t version = kVersion)
{
    std::vector<std::uint8_t> start(std::begin(magic), std::end(magic));
    for (int shift = 0; shift < 32; shift += 8)
        start.push_back(static_cast<std::uint8_t>(version >> shift));
    start.insert(start.end(), frame.begin(), frame.end());
    return start;
}

}  // namespace

bool DecodeStart(const std::vector<std::uint8_t>& payload, bool checked, Header& header)
{
    Cursor in(payload);
    header.historySize = in.U64();
    header.historyCrc = in.U32();
    header.entryCount = static_cast<std::int32_t>(in.U32());
    header.recordIds = in.Ids();
    header.records.clear();
    if (checked) {
        // None (records not described) or one check per record.
        const std::uint32_t count = in.U32();
        if (!in.Ok() || (count != 0 && count != header.recordIds.size()))
            return false;
        for (std::uint32_t i = 0; in.Ok() && i < count; ++i) {
            RecordCheck record;
            record.size = in.U32();
            record.crc = in.U32();
            header.records.push_back(record);
        }
    }
    return in.Ok() && in.AtEnd();
}

bool DecodeRecord(const std::vector<std::uint8_t>& payload, Record& record)
{
    return ParseRecord(payload, record);
}

std::vector<std::uint8_t> EncodeStart(const Header& header)
{
    Writer out;
    out.U64(header.historySize);
    out.U32(header.historyCrc);
    out.U32(static_cast<std::uint32_t>(header.entryCount));
    out.Ids(header.recordIds);
    out.U32(static_cast<std::uint32_t>(header.records.size()));
    for (const RecordCheck& record : header.records) {
        out.U32(record.size);
        out.U32(record.crc);
    }
    return WithStart(kJournalMagic, out.Frame(), kCheckedVersion);
}

std::vector<std::uint8_t> EncodeIntent(const Intent& intent)
{
    Writer out;
    out.U32(static_cast<std::uint32_t>(intent.moves.size()));
    for (const auto& move : intent.moves) {
        out.Text(move.first);
        out.Text(move.second);
    }
    out.U32(static_cast<std::uint32_t>(intent.deletes.size()));
    for (const auto& name : intent.deletes)
        out.Text(name);
    return WithStart(kIntentMagic, out.Frame(), kIntentVersion);
}

bool DecodeIntent(const std::vector<std::uint8_t>& bytes, Intent& intent)
{
    constexpr std::size_t kStart = 8;
    const std::uint32_t version = bytes.size() < kStart ? 0 : LittleEndian32(bytes.data() + 4);
    if (bytes.size() < kStart + kFrameHead || std::memcmp(bytes.data(), kIntentMagic, 4) != 0 ||
        (version != 1 && version != kIntentVersion))
        return false;
    const std::uint32_t length = LittleEndian32(bytes.data() + kStart);
    if (bytes.size() - kStart - kFrameHead != length)
        return false;
    const std::vector<std::uint8_t> payload(bytes.begin() + kStart + kFrameHead, bytes.end());
    if (Crc32::Of(payload.data(), payload.size()) != LittleEndian32(bytes.data() + kStart + 4))
        return false;
    Cursor in(payload);
    intent = Intent();
    const std::uint32_t moves = in.U32();
    for (std::uint32_t i = 0; in.Ok() && i < moves; ++i) {
        std::u16string from = in.Text();
        intent.moves.emplace_back(std::move(from), in.Text());
    }
    const std::uint32_t deletes = version == 1 ? 0 : in.U32();
    for (std::uint32_t i = 0; in.Ok() && i < deletes; ++i)
        intent.deletes.push_back(in.Text());
    return in.Ok() && in.AtEnd();
}

bool IntentNamesAreOurs(const Intent& intent)
{
    return std::all_of(intent.moves.begin(), intent.moves.end(),
                       [](const auto& move) {
                           return set_files::IsSetFile(move.second) && set_files::IsTemporaryOf(move.first, move.second);
                       }) &&
           std::all_of(intent.deletes.begin(), intent.deletes.end(),
                       [](const std::u16string& name) { return set_files::IsSetFile(name); });
}

std::vector<std::uint8_t> EncodeRecord(const Record& record)
{
    Writer out;
    WriteRecordBody(out, record);
    return out.Frame();
}

std::vector<std::uint8_t> EncodeFrame(const std::uint8_t* payload, std::size_t size)
{
    Writer out;
    out.Raw(payload, size);
    return out.Frame();
}

std::vector<std::uint8_t> EncodeTextInsert(std::uint64_t time, std::uint64_t id, std::u16string_view text,
                                           const std::vector<std::uint8_t>& formats)
{
    Writer out;
    out.U8(static_cast<std::uint8_t>(formats.empty() ? Op::InsertText : Op::InsertTextWithFormats));
    out.U64(time);
    out.U64(id);
    out.Text(text);
    if (!formats.empty())
        out.Bytes(formats);
    return out.Frame();
}

std::uint32_t ChainAfter(const std::vector<std::uint8_t>& stored, bool start)
{
    const std::size_t at = (start ? kStartBytes : 0) + 4;
    return stored.size() >= at + 4 ? LittleEndian32(stored.data() + at) : 0;
}

std::uint32_t ChainedCrc(std::uint32_t chain, const std::uint8_t* payload, std::size_t size)
{
    Crc32 crc;
    const std::uint8_t before[4] = {static_cast<std::uint8_t>(chain), static_cast<std::uint8_t>(chain >> 8),
                                    static_cast<std::uint8_t>(chain >> 16), static_cast<std::uint8_t>(chain >> 24)};
    crc.Update(before, sizeof before);
    crc.Update(payload, size);
    return crc.Value();
}

std::vector<std::uint8_t> Chained(std::vector<std::uint8_t> stored, bool start, std::uint32_t chain)
{
    const std::size_t head = start ? kStartBytes : 0;
    if (stored.size() < head + kFrameHead)
        return stored;
    const std::uint32_t crc = ChainedCrc(chain, stored.data() + head + kFrameHead, stored.size() - head - kFrameHead);
    for (int i = 0; i < 4; ++i)
        stored[head + 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
    return stored;
}

}  // namespace journal
