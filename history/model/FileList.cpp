#include "history/model/FileList.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace {

// The NUL-separated strings of `chars`, up to the empty one that ends the list
// (or the end of the block when a writer left it out).
template <typename Char>
std::vector<std::basic_string<Char>> SplitAtNuls(const std::basic_string<Char>& chars)
{
    std::vector<std::basic_string<Char>> parts;
    size_t start = 0;
    while (start < chars.size()) {
        size_t end = chars.find(Char(0), start);
        if (end == start)
            break;
        if (end == std::basic_string<Char>::npos)
            end = chars.size();
        parts.push_back(chars.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::wstring FromAnsi(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

}  // namespace

std::vector<std::wstring> FileList::Paths(const std::vector<std::uint8_t>& block)
{
    DROPFILES header;
    if (block.size() < sizeof(header))
        return {};
    std::memcpy(&header, block.data(), sizeof(header));
    if (header.pFiles < sizeof(header) || header.pFiles >= block.size())
        return {};
    const std::uint8_t* start = block.data() + header.pFiles;
    const size_t bytes = block.size() - header.pFiles;
    if (!header.fWide) {
        std::vector<std::wstring> paths;
        for (const std::string& path : SplitAtNuls(std::string(reinterpret_cast<const char*>(start), bytes)))
            paths.push_back(FromAnsi(path));
        return paths;
    }
    // Copied out: the paths need not be aligned for wchar_t inside the block.
    std::wstring chars(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(&chars[0], start, chars.size() * sizeof(wchar_t));
    return SplitAtNuls(chars);
}

std::wstring FileList::Text(const std::vector<std::wstring>& paths)
{
    std::wstring text;
    for (const std::wstring& path : paths) {
        if (!text.empty())
            text += L"\r\n";
        text += path;
    }
    return text;
}

std::wstring FileList::Label(const std::vector<std::wstring>& paths)
{
    if (paths.empty())
        return {};
    const std::wstring& first = paths.front();
    const size_t slash = first.find_last_of(L"\\/");
    // A drive or share root ("D:\") has no name of its own after the slash.
    std::wstring label = slash == std::wstring::npos || slash + 1 == first.size() ? first : first.substr(slash + 1);
    if (paths.size() > 1)
        label += L" (+" + std::to_wstring(paths.size() - 1) + L" more)";
    return label;
}
