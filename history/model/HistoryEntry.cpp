#include "history/model/HistoryEntry.h"

#include <cwchar>

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
    const wchar_t* nul = std::wmemchr(text, L'\0', length);
    return std::wstring(text, nul ? static_cast<size_t>(nul - text) : length);
}

std::uint64_t UtcNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}
