#include "history/store/extras/FormatsRecord.h"

#include "history/store/formats/Crc32.h"

namespace {

// wchar_t is UTF-16 on this platform, so names convert by copy.
std::u16string ToU16(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

std::wstring FromU16(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The names, the label and what was left out, without a kept format.
EntryFormats Named(const extras::Formats& stored)
{
    EntryFormats formats;
    for (const extras::Format& name : stored.leftOut)
        formats.leftOut.push_back({FromU16(name.name), name.number});
    formats.label = FromU16(stored.label);
    return formats;
}

// What was left out and the label, as they are stored.
extras::Formats KnownOf(const EntryFormats& formats)
{
    extras::Formats stored;
    for (const FormatName& name : formats.leftOut)
        stored.leftOut.push_back({ToU16(name.name), name.number, {}});
    stored.label = ToU16(formats.label);
    return stored;
}

}  // namespace

std::vector<KeptFormat> KeptOf(extras::Formats stored)
{
    std::vector<KeptFormat> kept;
    for (extras::Format& format : stored.kept) {
        FormatName name{FromU16(format.name), format.number};
        // Read from a file: a format of any other kind (a damaged or planted record) is never put back.
        if (EntryFormats::IsKeptKind(name))
            kept.push_back({std::move(name), std::move(format.bytes)});
    }
    return kept;
}

std::shared_ptr<const EntryFormats> FromStored(const extras::Formats& stored)
{
    if (stored.Empty())
        return nullptr;
    EntryFormats formats = Named(stored);
    formats.kept = KeptOf(stored);
    return Shelved(std::move(formats));
}

std::shared_ptr<const EntryFormats> OutlineOf(const extras::Formats& outline, std::shared_ptr<FormatsShelf> shelf)
{
    if (outline.Empty())
        return nullptr;
    auto formats = std::make_shared<EntryFormats>(Named(outline));
    formats->kept = KeptOf(outline);
    formats->shelf = std::move(shelf);
    return formats;
}

bool KeptInOutline(const extras::Format& format)
{
    return format.name.empty() && format.number == EntryFormats::kFileListNumber;
}

extras::Outline OutlineOf(const EntryFormats& formats, const std::vector<KeptFormat>& kept)
{
    extras::Outline outline;
    const extras::Formats known = KnownOf(formats);
    outline.leftOut = known.leftOut;
    outline.label = known.label;
    for (const KeptFormat& format : kept) {
        extras::OutlineFormat item;
        item.name = ToU16(format.format.name);
        item.number = format.format.number;
        item.size = static_cast<std::uint32_t>(format.bytes.size());
        item.crc = Crc32::Of(format.bytes.data(), format.bytes.size());
        if (KeptInOutline({item.name, item.number, {}}))
            item.bytes = format.bytes;
        outline.kept.push_back(std::move(item));
    }
    return outline;
}

std::shared_ptr<const EntryFormats> FromOutline(const extras::Outline& outline, std::shared_ptr<FormatsShelf> shelf)
{
    extras::Formats names;
    names.leftOut = outline.leftOut;
    names.label = outline.label;
    for (const extras::OutlineFormat& format : outline.kept)
        names.kept.push_back({format.name, format.number, format.bytes});
    if (names.Empty())
        return nullptr;
    auto formats = std::make_shared<EntryFormats>(Named(names));
    formats->kept = KeptOf(names);
    formats->shelf = names.kept.empty() ? nullptr : std::move(shelf);
    return formats;
}

std::vector<std::uint8_t> EncodeEntryFormats(const std::shared_ptr<const EntryFormats>& formats)
{
    std::vector<std::uint8_t> bytes;
    if (!formats)
        return bytes;
    // The bytes are encoded where they lie; unreadable ones leave what is known without them.
    const FormatsShelf::Kept kept = KeptBytes(formats);
    std::vector<extras::FormatView> views;
    if (kept) {
        for (const KeptFormat& format : *kept)
            views.push_back({ToU16(format.format.name), format.format.number, format.bytes.data(), format.bytes.size()});
    }
    const extras::Formats known = KnownOf(*formats);
    extras::EncodeFormatViews(views, known.leftOut, known.label, bytes);
    return bytes;
}

std::shared_ptr<const EntryFormats> DecodeEntryFormats(const std::vector<std::uint8_t>& bytes)
{
    extras::Formats stored;
    if (!extras::DecodeFormats(bytes.data(), bytes.size(), stored))
        return nullptr;
    return FromStored(stored);
}
