#include "history/store/extras/ExtrasMap.h"

#include <algorithm>
#include <cstring>

#include "history/store/formats/Crc32.h"

namespace extras {

namespace {

constexpr std::uint8_t kFormatsMagic[4] = {'Q', 'X', 'F', 'M'};
constexpr std::uint32_t kFormatsVersion = 1;
constexpr std::size_t kFormatsHead = 4 + 4 + 8;
constexpr std::uint32_t kPlainMagic = 0x52545851;  // "QXTR"

// Reads fields in order; any read past the end makes it fail.
class Fields {
public:
    Fields(const std::uint8_t* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_at == m_size; }
    std::uint64_t Value(int count)
    {
        if (!m_ok || m_size - m_at < static_cast<std::size_t>(count)) {
            m_ok = false;
            return 0;
        }
        const std::uint64_t value = Get(m_bytes + m_at, count);
        m_at += static_cast<std::size_t>(count);
        return value;
    }
    std::u16string Name()
    {
        const std::size_t units = static_cast<std::size_t>(Value(2));
        std::u16string name;
        if (!m_ok || (m_size - m_at) / 2 < units) {
            m_ok = false;
            return name;
        }
        for (std::size_t i = 0; i < units; ++i)
            name.push_back(static_cast<char16_t>(Value(2)));
        return name;
    }
    std::vector<std::uint8_t> Bytes(std::uint64_t count)
    {
        if (!m_ok || m_size - m_at < count) {
            m_ok = false;
            return {};
        }
        std::vector<std::uint8_t> out(m_bytes + m_at, m_bytes + m_at + count);
        m_at += static_cast<std::size_t>(count);
        return out;
    }

private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

void PutName(std::vector<std::uint8_t>& out, const std::u16string& name)
{
    const std::size_t units = std::min<std::size_t>(name.size(), 0xFFFF);
    Put(out, units, 2);
    for (std::size_t i = 0; i < units; ++i)
        Put(out, name[i], 2);
}

bool CheckCrc(std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 4 || Get(bytes.data(), 4) != Crc32::Of(bytes.data() + 4, bytes.size() - 4))
        return false;
    bytes.erase(bytes.begin(), bytes.begin() + 4);
    return true;
}

bool AddCrc(std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> sealed;
    Put(sealed, Crc32::Of(bytes.data(), bytes.size()), 4);
    sealed.insert(sealed.end(), bytes.begin(), bytes.end());
    bytes.swap(sealed);
    return true;
}

}  // namespace

const Seals& PlainSeals()
{
    static const Seals seals = {
        kPlainMagic,
        4 + kSlotFields,
        [](std::uint32_t, std::vector<std::uint8_t>& bytes) { return AddCrc(bytes); },
        [](std::uint32_t, std::vector<std::uint8_t>& bytes) { return CheckCrc(bytes); },
        [](std::uint32_t, std::vector<std::uint8_t>& bytes) { return AddCrc(bytes); },
        [](std::uint32_t, std::vector<std::uint8_t>& bytes) { return CheckCrc(bytes); },
    };
    return seals;
}

void EncodeOutline(const Outline& outline, std::vector<std::uint8_t>& out)
{
    Put(out, outline.kept.size(), 4);
    for (const OutlineFormat& format : outline.kept) {
        PutName(out, format.name);
        Put(out, format.number, 4);
        Put(out, format.size, 4);
        Put(out, format.crc, 4);
        Put(out, format.bytes.size(), 4);
        out.insert(out.end(), format.bytes.begin(), format.bytes.end());
    }
    Put(out, outline.leftOut.size(), 4);
    for (const Format& format : outline.leftOut) {
        PutName(out, format.name);
        Put(out, format.number, 4);
    }
    PutName(out, outline.label);
}

bool DecodeOutline(const std::uint8_t* bytes, std::size_t size, Outline& outline)
{
    outline = Outline();
    Fields in(bytes, size);
    const std::uint64_t kept = in.Value(4);
    for (std::uint64_t i = 0; in.Ok() && i < kept; ++i) {
        OutlineFormat format;
        format.name = in.Name();
        format.number = static_cast<std::uint32_t>(in.Value(4));
        format.size = static_cast<std::uint32_t>(in.Value(4));
        format.crc = static_cast<std::uint32_t>(in.Value(4));
        format.bytes = in.Bytes(in.Value(4));
        outline.kept.push_back(std::move(format));
    }
    const std::uint64_t leftOut = in.Value(4);
    for (std::uint64_t i = 0; in.Ok() && i < leftOut; ++i) {
        Format format;
        format.name = in.Name();
        format.number = static_cast<std::uint32_t>(in.Value(4));
        outline.leftOut.push_back(std::move(format));
    }
    outline.label = in.Name();
    return in.Ok() && in.AtEnd();
}

std::vector<std::uint8_t> EncodeMap(const Map& map, const Seals& seals)
{
    const std::size_t count = map.entries.size();
    // The outlines first: the slots say where they lie.
    std::vector<std::vector<std::uint8_t>> outlines(count);
    std::uint64_t area = kMapHeaderSize + count * seals.slotSize;
    std::vector<std::uint64_t> offsets(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (!map.entries[i].hasOutline)
            continue;
        EncodeOutline(map.entries[i].outline, outlines[i]);
        if (!seals.sealOutline(static_cast<std::uint32_t>(i), outlines[i]))
            return {};
        offsets[i] = area;
        area += outlines[i].size();
    }
    std::vector<std::uint8_t> out;
    Put(out, seals.magic, 4);
    Put(out, kMapVersion, 4);
    Put(out, map.historySize, 8);
    Put(out, map.historyCrc, 4);
    Put(out, count, 4);
    Put(out, Crc32::Of(out.data(), out.size()), 4);
    for (std::size_t i = 0; i < count; ++i) {
        const MapEntry& entry = map.entries[i];
        std::vector<std::uint8_t> slot;
        Put(slot, i, 4);
        Put(slot, entry.recordSize, 4);
        Put(slot, entry.recordCrc, 4);
        Put(slot, entry.id, 8);
        Put(slot, entry.captured, 8);
        Put(slot, entry.formatsSet, 8);
        Put(slot, offsets[i], 4);
        Put(slot, outlines[i].size(), 4);
        if (!seals.sealSlot(static_cast<std::uint32_t>(i), slot) || slot.size() != seals.slotSize)
            return {};
        out.insert(out.end(), slot.begin(), slot.end());
    }
    for (const std::vector<std::uint8_t>& outline : outlines)
        out.insert(out.end(), outline.begin(), outline.end());
    return out;
}

bool DecodeMap(const std::uint8_t* bytes, std::size_t size, const Seals& seals, Map& map)
{
    map = Map();
    if (size < kMapHeaderSize || Get(bytes, 4) != seals.magic || Get(bytes + 4, 4) != kMapVersion)
        return false;
    map.historySize = Get(bytes + 8, 8);
    map.historyCrc = static_cast<std::uint32_t>(Get(bytes + 16, 4));
    // The slots run up to the count a whole header gives, else up to the first outline (or the end).
    const std::uint64_t count = Get(bytes + 20, 4);
    const bool counted = Get(bytes + 24, 4) == Crc32::Of(bytes, 24) &&
                         count <= (size - kMapHeaderSize) / seals.slotSize;
    std::size_t slotsEnd = counted ? static_cast<std::size_t>(kMapHeaderSize + count * seals.slotSize) : size;
    for (std::size_t at = kMapHeaderSize; at + seals.slotSize <= slotsEnd; at += seals.slotSize) {
        const auto position = static_cast<std::uint32_t>((at - kMapHeaderSize) / seals.slotSize);
        std::vector<std::uint8_t> slot(bytes + at, bytes + at + seals.slotSize);
        MapEntry entry;
        bool whole = seals.openSlot(position, slot) && slot.size() == kSlotFields && Get(slot.data(), 4) == position;
        std::uint64_t offset = 0, length = 0;
        if (whole) {
            entry.recordSize = static_cast<std::uint32_t>(Get(slot.data() + 4, 4));
            entry.recordCrc = static_cast<std::uint32_t>(Get(slot.data() + 8, 4));
            entry.id = Get(slot.data() + 12, 8);
            entry.captured = Get(slot.data() + 20, 8);
            entry.formatsSet = Get(slot.data() + 28, 8);
            offset = Get(slot.data() + 36, 4);
            length = Get(slot.data() + 40, 4);
            if (!counted && length > 0 && offset >= at + seals.slotSize && offset < slotsEnd)
                slotsEnd = static_cast<std::size_t>(offset);
        }
        if (whole && length > 0 && offset <= size && size - offset >= length) {
            // A damaged outline costs this entry its formats, never its place or time.
            std::vector<std::uint8_t> outline(bytes + offset, bytes + offset + length);
            entry.hasOutline = seals.openOutline(position, outline) &&
                               DecodeOutline(outline.data(), outline.size(), entry.outline);
        }
        map.entries.push_back(std::move(entry));
        map.whole.push_back(whole);
    }
    return true;
}

std::vector<std::uint8_t> FormatsFileHead(std::uint64_t id)
{
    std::vector<std::uint8_t> out(std::begin(kFormatsMagic), std::end(kFormatsMagic));
    Put(out, kFormatsVersion, 4);
    Put(out, id, 8);
    return out;
}

bool SplitFormats(const std::uint8_t* bytes, std::size_t size, const Outline& outline, std::vector<Format>& kept)
{
    kept.clear();
    std::size_t at = 0;
    for (const OutlineFormat& format : outline.kept) {
        if (size - at < format.size || Crc32::Of(bytes + at, format.size) != format.crc)
            return false;
        kept.push_back({format.name, format.number, std::vector<std::uint8_t>(bytes + at, bytes + at + format.size)});
        at += format.size;
    }
    return at == size;
}

bool DecodeFormatsFile(const std::uint8_t* bytes, std::size_t size, std::uint64_t id, const Outline& outline,
                       std::vector<Format>& kept)
{
    if (size < kFormatsHead || std::memcmp(bytes, kFormatsMagic, 4) != 0 || Get(bytes + 4, 4) != kFormatsVersion ||
        Get(bytes + 8, 8) != id)
        return false;
    return SplitFormats(bytes + kFormatsHead, size - kFormatsHead, outline, kept);
}

std::wstring FormatsFileName(std::uint64_t id, bool sealed)
{
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring name;
    for (int shift = 60; shift >= 0; shift -= 4)
        name.push_back(kDigits[(id >> shift) & 0xF]);
    return name + (sealed ? L".qfmt" : L".fmt");
}

bool IdOfFormatsFile(const std::wstring& name, std::uint64_t& id)
{
    const bool sealed = name.size() == 21 && name.compare(16, 5, L".qfmt") == 0;
    if (!sealed && !(name.size() == 20 && name.compare(16, 4, L".fmt") == 0))
        return false;
    id = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        const wchar_t digit = name[i];
        const int value = digit >= L'0' && digit <= L'9' ? digit - L'0' : digit >= L'a' && digit <= L'f' ? digit - L'a' + 10 : -1;
        if (value < 0)
            return false;
        id = id << 4 | static_cast<std::uint64_t>(value);
    }
    return true;
}

}  // namespace extras
