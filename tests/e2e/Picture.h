#pragma once
#include <windows.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace e2e {

// A small picture as the tests compare it: its size and its pixels as 0x00RRGGBB, row by
// row from the top. Colours only: what an alpha byte or a row's padding holds never counts.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    bool operator==(const Picture& other) const
    {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
};

// "7 x 5: 0x112233 0x445566 ...", for failure messages.
void PrintTo(const Picture& picture, std::ostream* out);

// The pixels of a bitmap read back through a 32-bit top-down DIB; an empty picture when it cannot be read.
Picture ReadPicture(HBITMAP bitmap);

}  // namespace e2e
