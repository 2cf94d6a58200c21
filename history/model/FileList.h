#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file list as the clipboard carries it (a DROPFILES block: the header, then
// NUL-terminated paths ending in an empty one, wide or ANSI), and what an entry
// of copied files shows of it.
class FileList {
public:
    // The paths of the block; none when the block is not a file list.
    static std::vector<std::wstring> Paths(const std::vector<std::uint8_t>& block);
    // The paths one per line (CR LF): the entry's text.
    static std::wstring Text(const std::vector<std::wstring>& paths);
    // The first file's name and the count of the others: "report.docx (+2 more)".
    static std::wstring Label(const std::vector<std::wstring>& paths);
};
