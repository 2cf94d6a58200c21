#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// What an earlier run kept beside one record of the history file: its capture
// time (a FILETIME, UTC) and formats copied with its text, registered ones by name.
struct StoredExtras {
    struct Format {
        std::wstring name;
        std::string bytes;
    };
    std::uint64_t captured = 0;
    std::vector<Format> formats;
};

// The extras file ("data.extras") an earlier run would have left beside
// `history`, one record per entry of `records` (position 0 first), built byte
// by byte from the file's layout alone.
std::string ExtrasFileBytes(const std::string& history, const std::vector<StoredExtras>& records);

}  // namespace e2e
