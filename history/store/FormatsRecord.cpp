#include "history/store/FormatsRecord.h"

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

}  // namespace

extras::Formats ToStored(const EntryFormats& formats)
{
    extras::Formats stored;
    for (const KeptFormat& kept : formats.kept)
        stored.kept.push_back({ToU16(kept.format.name), kept.format.number, kept.bytes});
    for (const FormatName& name : formats.leftOut)
        stored.leftOut.push_back({ToU16(name.name), name.number, {}});
    stored.label = ToU16(formats.label);
    return stored;
}

extras::Formats StoredOf(const std::shared_ptr<const EntryFormats>& formats)
{
    if (!formats)
        return extras::Formats();
    if (const std::shared_ptr<const EntryFormats> whole = WholeFormats(formats))
        return ToStored(*whole);
    EntryFormats known = *formats;
    known.kept.clear();
    return ToStored(known);
}

std::vector<KeptFormat> KeptOf(extras::Formats stored)
{
    std::vector<KeptFormat> kept;
    for (extras::Format& format : stored.kept)
        kept.push_back({{FromU16(format.name), format.number}, std::move(format.bytes)});
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

std::vector<std::uint8_t> EncodeEntryFormats(const std::shared_ptr<const EntryFormats>& formats)
{
    std::vector<std::uint8_t> bytes;
    extras::EncodeFormats(StoredOf(formats), bytes);
    return bytes;
}

std::shared_ptr<const EntryFormats> DecodeEntryFormats(const std::vector<std::uint8_t>& bytes)
{
    extras::Formats stored;
    if (!extras::DecodeFormats(bytes.data(), bytes.size(), stored))
        return nullptr;
    return FromStored(stored);
}
