#include "tests/e2e/ScreenPixels.h"

#include "framework/Handles.h"

#include <map>
#include <optional>
#include <vector>

namespace e2e {

namespace {

// The pixels inside `rect`, row by row from the top.
std::optional<std::vector<RGBQUAD>> GrabScreen(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return std::vector<RGBQUAD>();
    WindowDC screen(nullptr);
    if (!screen)
        return std::nullopt;
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !bitmap)
        return std::nullopt;
    bool copied;
    {
        ScopedSelect selected(memory.Get(), bitmap.Get());
        copied = BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY) != FALSE;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!copied ||
        !GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
        return std::nullopt;
    return pixels;
}

}  // namespace

int CountDarkPixels(const RECT& rect)
{
    const std::optional<std::vector<RGBQUAD>> pixels = GrabScreen(rect);
    if (!pixels)
        return -1;
    int dark = 0;
    for (const RGBQUAD& pixel : *pixels) {
        if (pixel.rgbRed < 64 && pixel.rgbGreen < 64 && pixel.rgbBlue < 64)
            ++dark;
    }
    return dark;
}

COLORREF GroundColour(const RECT& rect)
{
    const std::optional<std::vector<RGBQUAD>> pixels = GrabScreen(rect);
    if (!pixels || pixels->empty())
        return CLR_INVALID;
    std::map<COLORREF, int> counts;
    for (const RGBQUAD& pixel : *pixels)
        ++counts[RGB(pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue)];
    auto most = counts.begin();
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it->second > most->second)
            most = it;
    }
    return most->first;
}

COLORREF FarthestColour(const RECT& rect, COLORREF ground, double (*distance)(COLORREF, COLORREF))
{
    const std::optional<std::vector<RGBQUAD>> pixels = GrabScreen(rect);
    COLORREF farthest = ground;
    double most = 0;
    for (const RGBQUAD& pixel : pixels.value_or(std::vector<RGBQUAD>())) {
        const COLORREF colour = RGB(pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue);
        if (distance(colour, ground) > most) {
            most = distance(colour, ground);
            farthest = colour;
        }
    }
    return farthest;
}

bool SaveScreenBitmap(const RECT& rect, const std::wstring& path)
{
    std::optional<std::vector<RGBQUAD>> pixels = GrabScreen(rect);
    if (!pixels || pixels->empty())
        return false;
    // The screen has no alpha; what the fourth byte holds would make readers see through it.
    for (RGBQUAD& pixel : *pixels)
        pixel.rgbReserved = 0xFF;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = rect.right - rect.left;
    header.biHeight = -(rect.bottom - rect.top);  // rows from the top, as grabbed
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const DWORD pixelBytes = static_cast<DWORD>(pixels->size() * sizeof(RGBQUAD));
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + pixelBytes;
    UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.Get(), &fileHeader, sizeof(fileHeader), &written, nullptr) &&
           WriteFile(file.Get(), &header, sizeof(header), &written, nullptr) &&
           WriteFile(file.Get(), pixels->data(), pixelBytes, &written, nullptr) && written == pixelBytes;
}

}  // namespace e2e
