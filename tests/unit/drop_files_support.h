#pragma once
// A file list as a copying program puts it on the clipboard, for the tests of
// what capture and the model make of one.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace drop_files {

// A DROPFILES block: the header, then the paths at `offset`, each ending in
// NUL, then an empty one; wide, or ANSI for paths of ASCII characters.
inline std::vector<std::uint8_t> Block(const std::vector<std::wstring>& paths, bool wide = true,
                                       DWORD offset = sizeof(DROPFILES))
{
    std::vector<std::uint8_t> block(offset, 0);
    DROPFILES header = {};
    header.pFiles = offset;
    header.fWide = wide;
    std::memcpy(block.data(), &header, sizeof(header));
    const auto append = [&](const std::wstring& path) {
        for (wchar_t ch : path + L'\0') {
            block.push_back(static_cast<std::uint8_t>(ch & 0xFF));
            if (wide)
                block.push_back(static_cast<std::uint8_t>(ch >> 8));
        }
    };
    for (const std::wstring& path : paths)
        append(path);
    append(L"");
    return block;
}

}  // namespace drop_files
