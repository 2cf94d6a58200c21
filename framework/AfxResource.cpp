#include "framework/AfxResource.h"

#include <climits>
#include <cstring>
#include <vector>

#include "framework/CWinApp.h"
#include "framework/Handles.h"

namespace {

struct ColourMapping {
    COLORREF from;
    int sysColour;
};

// Toolbar artwork is painted in these four standard colours.
constexpr ColourMapping kSysColourMap[] = {
    {RGB(0x00, 0x00, 0x00), COLOR_BTNTEXT},
    {RGB(0x80, 0x80, 0x80), COLOR_BTNSHADOW},
    {RGB(0xC0, 0xC0, 0xC0), COLOR_BTNFACE},
    {RGB(0xFF, 0xFF, 0xFF), COLOR_BTNHIGHLIGHT},
};

}  // namespace

DWORD DibColorTableEntries(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed)
        return header.biClrUsed;
    switch (header.biBitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

HINSTANCE AfxFindResourceHandle(const wchar_t* name, const wchar_t* type)
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_hInstance && FindResourceW(app->m_hInstance, name, type))
        return app->m_hInstance;
    return GetModuleHandleW(nullptr);
}

HBITMAP AfxLoadSysColorBitmap(HINSTANCE module, HRSRC resource, BOOL mono)
{
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
    DWORD resourceSize = resource ? SizeofResource(module, resource) : 0;
    if (!header || resourceSize < sizeof(BITMAPINFOHEADER) || header->biSize < sizeof(BITMAPINFOHEADER) ||
        (header->biBitCount != 1 && header->biBitCount != 4 && header->biBitCount != 8) ||
        header->biCompression != BI_RGB || header->biWidth <= 0 ||
        header->biHeight == 0 || header->biHeight == LONG_MIN)
        return nullptr;
    DWORD entries = DibColorTableEntries(*header);
    if (entries > 256)
        return nullptr;
    size_t tableSize = entries * sizeof(RGBQUAD);
    int width = header->biWidth;
    int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    unsigned long long stride = ((static_cast<unsigned long long>(width) * header->biBitCount + 31) / 32) * 4;
    if (header->biSize + tableSize + stride * static_cast<unsigned long long>(height) > resourceSize)
        return nullptr;

    // A copy of the header (reduced to the basic form) and its colour table, with the colours mapped.
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + tableSize);
    std::memcpy(info.data(), header, sizeof(BITMAPINFOHEADER));
    auto* copy = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    copy->biSize = sizeof(BITMAPINFOHEADER);
    std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), reinterpret_cast<const unsigned char*>(header) + header->biSize,
                tableSize);
    auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
    for (DWORD i = 0; i < entries; ++i) {
        COLORREF colour = RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
        for (const ColourMapping& mapping : kSysColourMap) {
            if (colour != mapping.from)
                continue;
            COLORREF mapped = GetSysColor(mapping.sysColour);
            if (mono)
                mapped = mapping.from == RGB(0, 0, 0) ? RGB(0, 0, 0) : RGB(0xFF, 0xFF, 0xFF);
            table[i].rgbRed = GetRValue(mapped);
            table[i].rgbGreen = GetGValue(mapped);
            table[i].rgbBlue = GetBValue(mapped);
            break;
        }
    }
    const unsigned char* bits = reinterpret_cast<const unsigned char*>(header) + header->biSize + tableSize;

    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    if (!screen || !memory)
        return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), width, height);
    if (!bitmap)
        return nullptr;
    {
        ScopedSelect select(memory.Get(), bitmap);
        StretchDIBits(memory.Get(), 0, 0, width, height, 0, 0, width, height, bits,
                      reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
    }
    return bitmap;
}
