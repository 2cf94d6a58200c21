#pragma once
#include <windows.h>

#include <string>

struct EntryFormats;

// What a screen reader says of a row beyond its text: whether it is pinned
// (in the top zone), a picture and its size, the formats kept beside the text
// or the files it holds, formats left out for their size, and the key that
// pastes it.
struct RowFacts {
    bool pinned = false;
    bool picture = false;
    // The picture's size in pixels; zero when it is not known.
    SIZE pictureSize = {0, 0};
    const EntryFormats* formats = nullptr;
    // 1 to 9 when Ctrl and that digit paste the row, else 0.
    int quickKey = 0;
};

// "pinned; with HTML, RTF; Ctrl+1", "picture, 1920 by 1080 pixels",
// "file list, 3 files"; empty when there is nothing to add.
std::wstring DescribeRow(const RowFacts& row);
