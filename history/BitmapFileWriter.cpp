#include "history/BitmapFileWriter.h"

#include <cstring>
#include <new>
#include <vector>

#include "framework/Handles.h"
#include "framework/SafeFileWriter.h"
#include "history/BmpFormat.h"

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

BOOL SaveBitmapFile(HBITMAP bitmap, const std::wstring& path)
{
    return SaveBitmapFileForScreenDepth(bitmap, path, ScreenColorDepth());
}

BOOL SaveBitmapFileForScreenDepth(HBITMAP bitmap, const std::wstring& path, int screenDepth)
{
    BITMAP bm = {};
    if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm)
        return FALSE;
    BmpLayout layout;
    if (!ComputeBmpLayout(bm.bmWidth, bm.bmHeight, BmpBitsForScreenDepth(screenDepth), layout))
        return FALSE;
    const auto headers = BuildBmpHeaders(bm.bmWidth, bm.bmHeight, layout);
    const BYTE* infoHeader = headers.data() + kBmpFileHeaderBytes;

    try {
        // Info header, colour table and pixel rows, as GetDIBits fills them.
        std::vector<BYTE> block(kBmpInfoHeaderBytes + layout.tableBytes + layout.pixelBytes, 0);
        std::memcpy(block.data(), infoHeader, kBmpInfoHeaderBytes);
        int lines = 0;
        {
            WindowDC screen(nullptr);
            if (!screen)
                return FALSE;
            DefaultPaletteSelection palette(screen.Get());
            lines = GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(bm.bmHeight),
                              block.data() + kBmpInfoHeaderBytes + layout.tableBytes,
                              reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
        }
        if (lines != bm.bmHeight)
            return FALSE;
        // GetDIBits may fill in the image size and colour counts; the file keeps them 0.
        std::memcpy(block.data(), infoHeader, kBmpInfoHeaderBytes);

        return SafeFileWriter::Write(path, [&](CFile& file) {
            file.Write(headers.data(), static_cast<UINT>(kBmpFileHeaderBytes));
            file.Write(block.data(), static_cast<UINT>(block.size()));
        });
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}
