#include "history/store/sealed/SealedExtras.h"

#include <cstring>

namespace sealed_extras {

namespace {

constexpr std::uint8_t kSealedMagic[4] = {'Q', 'X', 'T', 'S'};
constexpr std::uint8_t kFormatsMagic[4] = {'Q', 'X', 'F', 'S'};
constexpr std::uint32_t kFormatsVersion = 1;
// A sealed record's nonce and tag.
constexpr std::size_t kSealOverhead = 12 + 16;
constexpr std::uint32_t kSealedVersion = 1;
// The marker, the position and the two parts' lengths.
constexpr std::size_t kHead = 4 + 4 + 4 + 4;
// Beyond any outline: a longer one is a damaged length.
constexpr std::uint32_t kLongestOutline = 1u << 24;

bool ReadPart(const extras::Source& source, std::uint64_t at, std::size_t length, std::vector<std::uint8_t>& part)
{
    part.resize(length);
    return source.ReadAt(at, part.data(), length);
}

// The record at `at` when its outline opens; `next` is where the following one may start.
bool IndexRecord(const extras::Source& source, const StoreForm& form, std::uint64_t at, extras::Index& index,
                 std::uint64_t& next)
{
    next = at + 1;
    std::uint8_t head[kHead];
    if (source.Size() - at < kHead || !source.ReadAt(at, head, kHead) ||
        std::memcmp(head, extras::kMarker, sizeof extras::kMarker) != 0)
        return false;
    const auto position = static_cast<std::uint32_t>(extras::Get(head + 4, 4));
    const std::uint64_t outlineLength = extras::Get(head + 8, 4), formatsLength = extras::Get(head + 12, 4);
    const std::uint64_t room = source.Size() - at - kHead;
    std::vector<std::uint8_t> outline;
    if (outlineLength > kLongestOutline || outlineLength + formatsLength > room ||
        !ReadPart(source, at + kHead, static_cast<std::size_t>(outlineLength), outline))
        return false;
    const std::uint64_t id = SealId(index.historyCrc, position);
    if (!form.Open(SealKind::ExtrasRecord, id, outline) || outline.size() < extras::kLeastPayload ||
        extras::Get(outline.data(), 4) != position)
        return false;
    extras::IndexedRecord& record = index.records[position];
    record.captured = extras::Get(outline.data() + 4, 8);
    if (!extras::DecodePayloadFormats(outline.data(), outline.size(), record.outline))
        record.outline = extras::Formats();
    record.span = {at + kHead + outlineLength, static_cast<std::uint32_t>(formatsLength), 0};
    next = at + kHead + outlineLength + formatsLength;
    return true;
}

}  // namespace

std::uint64_t SealId(std::uint32_t historyCrc, std::uint32_t position)
{
    return static_cast<std::uint64_t>(historyCrc) << 32 | position;
}

extras::Seals MapSeals(const StoreForm& form)
{
    const auto sealer = [form](SealKind kind) {
        return [form, kind](std::uint32_t position, std::vector<std::uint8_t>& bytes) {
            bytes = form.Seal(kind, position, bytes);
            return !bytes.empty();
        };
    };
    const auto opener = [form](SealKind kind) {
        return [form, kind](std::uint32_t position, std::vector<std::uint8_t>& bytes) {
            return form.Open(kind, position, bytes);
        };
    };
    return {0x53545851,  // "QXTS"
            extras::kSlotFields + kSealOverhead,
            sealer(SealKind::ExtrasMap),
            opener(SealKind::ExtrasMap),
            sealer(SealKind::ExtrasRecord),
            opener(SealKind::ExtrasRecord)};
}

std::vector<std::uint8_t> EncodeFormatsFile(const StoreForm& form, std::uint64_t id,
                                            const std::vector<std::uint8_t>& bytes)
{
    const std::vector<std::uint8_t> sealed = form.Seal(SealKind::ExtrasFormats, id, bytes);
    if (sealed.empty())
        return {};
    std::vector<std::uint8_t> out(std::begin(kFormatsMagic), std::end(kFormatsMagic));
    extras::Put(out, kFormatsVersion, 4);
    extras::Put(out, id, 8);
    extras::Put(out, form.Set(), 8);
    out.insert(out.end(), sealed.begin(), sealed.end());
    return out;
}

bool DecodeFormatsFile(const StoreForm& form, const std::vector<std::uint8_t>& file, std::uint64_t id,
                       std::uint64_t set, const extras::Outline& outline, std::vector<extras::Format>& kept)
{
    constexpr std::size_t kHead = 4 + 4 + 8 + 8;
    if (file.size() < kHead || std::memcmp(file.data(), kFormatsMagic, 4) != 0 ||
        extras::Get(file.data() + 4, 4) != kFormatsVersion || extras::Get(file.data() + 8, 8) != id ||
        extras::Get(file.data() + 16, 8) != set)
        return false;
    std::vector<std::uint8_t> bytes(file.begin() + kHead, file.end());
    return form.OpenIn(set, SealKind::ExtrasFormats, id, bytes) &&
           extras::SplitFormats(bytes.data(), bytes.size(), outline, kept);
}

bool IndexRecords(const extras::Source& source, const StoreForm& form, extras::Index& index)
{
    index = extras::Index();
    std::uint8_t start[12];
    std::vector<std::uint8_t> header;
    if (source.Size() < sizeof start || !source.ReadAt(0, start, sizeof start) ||
        std::memcmp(start, kSealedMagic, sizeof kSealedMagic) != 0 || extras::Get(start + 4, 4) != kSealedVersion ||
        extras::Get(start + 8, 4) > source.Size() - sizeof start ||
        !ReadPart(source, sizeof start, static_cast<std::size_t>(extras::Get(start + 8, 4)), header) ||
        !form.Open(SealKind::Extras, 0, header) || header.size() != extras::kHeaderSize)
        return false;
    index.historySize = extras::Get(header.data() + 8, 8);
    index.historyCrc = static_cast<std::uint32_t>(extras::Get(header.data() + 16, 4));
    std::uint64_t at = sizeof start + extras::Get(start + 8, 4);
    while (at < source.Size()) {
        std::uint64_t next = at;
        IndexRecord(source, form, at, index, next);
        at = next;
    }
    return true;
}

bool OpenFormats(const StoreForm& form, std::uint64_t sealId, std::vector<std::uint8_t> part, extras::Formats& formats)
{
    return form.Open(SealKind::ExtrasFormats, sealId, part) && extras::DecodeFormats(part.data(), part.size(), formats);
}

}  // namespace sealed_extras
