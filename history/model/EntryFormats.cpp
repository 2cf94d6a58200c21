#include "history/model/EntryFormats.h"

#include "history/model/FileList.h"

const wchar_t EntryFormats::kHtmlName[] = L"HTML Format";
const wchar_t EntryFormats::kRtfName[] = L"Rich Text Format";

namespace {

// The short name the preview gives a format.
std::wstring ShortName(const FormatName& format)
{
    if (format.name == EntryFormats::kHtmlName)
        return L"HTML";
    if (format.name == EntryFormats::kRtfName)
        return L"RTF";
    if (EntryFormats::IsFileList(format))
        return L"files";
    return format.name.empty() ? L"format " + std::to_wstring(format.number) : format.name;
}

void AppendListed(std::wstring& list, const std::wstring& item)
{
    if (!list.empty())
        list += L", ";
    list += item;
}

std::wstring Listed(const std::vector<FormatName>& formats)
{
    std::wstring list;
    for (const FormatName& format : formats)
        AppendListed(list, ShortName(format));
    return list;
}

}  // namespace

const KeptFormat* EntryFormats::Find(const FormatName& format) const
{
    for (const KeptFormat& one : kept) {
        if (one.format == format)
            return &one;
    }
    return nullptr;
}

std::wstring EntryFormats::KeptSummary() const
{
    std::wstring summary;
    for (const KeptFormat& one : kept) {
        if (&one != Files()) {
            AppendListed(summary, ShortName(one.format));
            continue;
        }
        const size_t files = FileList::Paths(one.bytes).size();
        AppendListed(summary, std::to_wstring(files) + (files == 1 ? L" file" : L" files"));
    }
    return summary;
}

std::wstring EntryFormats::LeftOutSummary() const
{
    return Listed(leftOut);
}

std::wstring EntryFormats::LateSummary() const
{
    return Listed(late);
}
