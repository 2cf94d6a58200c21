#include "tests/e2e/Picture.h"

#include "framework/Handles.h"

#include <iomanip>

namespace e2e {

void PrintTo(const Picture& picture, std::ostream* out)
{
    *out << picture.width << " x " << picture.height << ":" << std::hex << std::setfill('0');
    for (uint32_t pixel : picture.pixels)
        *out << " 0x" << std::setw(6) << pixel;
    *out << std::dec;
}

Picture ReadPicture(HBITMAP bitmap)
{
    BITMAP bm = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Picture picture{bm.bmWidth, bm.bmHeight, std::vector<uint32_t>(static_cast<size_t>(bm.bmWidth) * bm.bmHeight)};
    WindowDC screen(nullptr);
    if (!screen
        || GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), picture.pixels.data(), &info,
                     DIB_RGB_COLORS)
               != bm.bmHeight)
        return {};
    for (uint32_t& pixel : picture.pixels)
        pixel &= 0x00FFFFFF;
    return picture;
}

}  // namespace e2e
