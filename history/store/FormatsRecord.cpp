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

std::shared_ptr<const EntryFormats> FromStored(const extras::Formats& stored)
{
    if (stored.Empty())
        return nullptr;
    auto formats = std::make_shared<EntryFormats>();
    for (const extras::Format& kept : stored.kept)
        formats->kept.push_back({{FromU16(kept.name), kept.number}, kept.bytes});
    for (const extras::Format& name : stored.leftOut)
        formats->leftOut.push_back({FromU16(name.name), name.number});
    formats->label = FromU16(stored.label);
    return formats;
}

std::vector<std::uint8_t> EncodeEntryFormats(const EntryFormats& formats)
{
    std::vector<std::uint8_t> bytes;
    extras::EncodeFormats(ToStored(formats), bytes);
    return bytes;
}

std::shared_ptr<const EntryFormats> DecodeEntryFormats(const std::vector<std::uint8_t>& bytes)
{
    extras::Formats stored;
    if (!extras::DecodeFormats(bytes.data(), bytes.size(), stored))
        return nullptr;
    return FromStored(stored);
}
