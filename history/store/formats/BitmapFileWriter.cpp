#include "history/store/formats/BitmapFileWriter.h"

#include <cstring>
#include <new>
#include <vector>

#include "framework/Handles.h"
#include "history/model/BmpFormat.h"

namespace {

// The default palette selected and realised in a DC; the previous one is put back.
class DefaultPaletteSelection {
public:
    explicit DefaultPaletteSelection(HDC dc)
        : m_dc(dc), m_previous(SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE))
    {
        RealizePalette(m_dc);
    }
    ~DefaultPaletteSelection()
    {
        if (m_previous) {
            SelectPalette(m_dc, m_previous, TRUE);
            RealizePalette(m_dc);
        }
    }
    DefaultPaletteSelection(const DefaultPaletteSelection&) = delete;
    DefaultPaletteSelection& operator=(const DefaultPaletteSelection&) = delete;

private:
    HDC m_dc;
    HPALETTE m_previous;
};

}  // namespace

int ScreenColorDepth()
{
    UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display)
        return 24;
    return GetDeviceCaps(display.Get(), PLANES) * GetDeviceCaps(display.Get(), BITSPIXEL);
}

bool EncodeBitmapFile(HBITMAP bitmap, int screenDepth, std::vector<BYTE>& file)
{
    BITMAP bm = {};
    if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm)
        return false;
    BmpLayout layout;
    if (!ComputeBmpLayout(bm.bmWidth, bm.bmHeight, BmpBitsForScreenDepth(screenDepth), layout))
        return false;
    const auto headers = BuildBmpHeaders(bm.bmWidth, bm.bmHeight, layout);
    const BYTE* infoHeader = headers.data() + kBmpFileHeaderBytes;
    try {
        // The file header, then the info header, colour table and pixel rows as GetDIBits fills them.
        file.assign(layout.fileSize, 0);
        std::memcpy(file.data(), headers.data(), headers.size());
        BYTE* block = file.data() + kBmpFileHeaderBytes;
        int lines = 0;
        {
            WindowDC screen(nullptr);
            if (!screen)
                return false;
            DefaultPaletteSelection palette(screen.Get());
            lines = GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(bm.bmHeight),
                              block + kBmpInfoHeaderBytes + layout.tableBytes, reinterpret_cast<BITMAPINFO*>(block),
                              DIB_RGB_COLORS);
        }
        // GetDIBits may fill in the image size and colour counts; the file keeps them 0.
        std::memcpy(block, infoHeader, kBmpInfoHeaderBytes);
        return lines == bm.bmHeight;
    } catch (const std::bad_alloc&) {
        file.clear();
        return false;
    }
}
