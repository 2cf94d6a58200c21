#include "history/store/sealed/SealedExtras.h"

#include <cstring>

namespace sealed_extras {

namespace {

constexpr std::uint8_t kSealedMagic[4] = {'Q', 'X', 'T', 'S'};
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

std::vector<std::uint8_t> EncodeHeader(const StoreForm& form, std::uint64_t historySize, std::uint32_t historyCrc)
{
    const std::vector<std::uint8_t> header =
        form.Seal(SealKind::Extras, 0, extras::EncodeHeader(historySize, historyCrc));
    if (header.empty())
        return {};
    std::vector<std::uint8_t> out(std::begin(kSealedMagic), std::end(kSealedMagic));
    extras::Put(out, kSealedVersion, 4);
    extras::Put(out, static_cast<std::uint32_t>(header.size()), 4);
    out.insert(out.end(), header.begin(), header.end());
    return out;
}

bool EncodeRecord(const StoreForm& form, std::uint32_t historyCrc, std::uint32_t position, const extras::Record& record,
                  const extras::KeepBytes& keepBytes, std::vector<std::uint8_t>& out, extras::Span& span)
{
    // The outline without a copy of the bytes it leaves out.
    extras::Record outline;
    outline.captured = record.captured;
    outline.formats.leftOut = record.formats.leftOut;
    outline.formats.label = record.formats.label;
    for (const extras::Format& format : record.formats.kept)
        outline.formats.kept.push_back(
            {format.name, format.number, keepBytes(format) ? format.bytes : std::vector<std::uint8_t>()});
    std::vector<std::uint8_t> plain;
    const extras::Span payload = extras::EncodeRecord(position, outline, plain);
    const std::uint64_t id = SealId(historyCrc, position);
    const std::vector<std::uint8_t> sealedOutline =
        form.Seal(SealKind::ExtrasRecord, id, {plain.begin() + static_cast<std::ptrdiff_t>(payload.offset), plain.end()});
    std::vector<std::uint8_t> sealedFormats;
    if (!record.formats.kept.empty()) {
        plain.clear();
        extras::EncodeFormats(record.formats, plain);
        sealedFormats = form.Seal(SealKind::ExtrasFormats, id, plain);
        if (sealedFormats.empty())
            return false;
    }
    if (sealedOutline.empty())
        return false;
    out.insert(out.end(), std::begin(extras::kMarker), std::end(extras::kMarker));
    extras::Put(out, position, 4);
    extras::Put(out, static_cast<std::uint32_t>(sealedOutline.size()), 4);
    extras::Put(out, static_cast<std::uint32_t>(sealedFormats.size()), 4);
    out.insert(out.end(), sealedOutline.begin(), sealedOutline.end());
    span = {out.size(), static_cast<std::uint32_t>(sealedFormats.size()), 0};
    out.insert(out.end(), sealedFormats.begin(), sealedFormats.end());
    return true;
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
