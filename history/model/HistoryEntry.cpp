#include "history/model/HistoryEntry.h"

std::wstring_view HistoryEntry::Label() const
{
    if (picture)
        return picture->Label();
    if (formats && !formats->label.empty())
        return formats->label;
    if (!text)
        return {};
    std::wstring_view whole(*text);
    if (whole.size() <= kLabelLength)
        return whole;
    size_t cut = kLabelLength;
    if (whole[cut - 1] >= 0xD800 && whole[cut - 1] <= 0xDBFF)
        --cut;
    return whole.substr(0, cut);
}

std::wstring TextUpToNul(const wchar_t* text, size_t length)
{
    if (!text)
        return {};
    size_t end = 0;
    while (end < length && text[end] != L'\0')
        ++end;
    return std::wstring(text, end);
}

std::uint64_t UtcNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}
