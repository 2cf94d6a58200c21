// Pictures from the real clipboard: DIBs of several kinds read back pixel for
// pixel, a bitmap without a DIB, and blocks whose header lies or is too large.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "history/ClipboardPicture.h"

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

COLORREF Pattern(int x, int y) { return RGB(30 * x + 5, 40 * y + 7, 200 - 9 * x * y); }

// A packed DIB with a 40-byte header; `bits` 24 (bottom-up unless `topDown`) or 32 with masks.
Bytes TrueColourDib(int width, int height, int bits, bool topDown)
{
    const int stride = (bits * width + 31) / 32 * 4;
    const size_t masks = bits == 32 ? 12 : 0;
    Bytes dib(sizeof(BITMAPINFOHEADER) + masks + static_cast<size_t>(stride) * height, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = topDown ? -height : height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = bits == 32 ? BI_BITFIELDS : BI_RGB;
    if (bits == 32) {
        const DWORD rgbMasks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
        std::memcpy(dib.data() + sizeof(BITMAPINFOHEADER), rgbMasks, sizeof rgbMasks);
    }
    BYTE* pixels = dib.data() + sizeof(BITMAPINFOHEADER) + masks;
    for (int y = 0; y < height; ++y) {
        BYTE* row = pixels + static_cast<size_t>(stride) * (topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            BYTE* pixel = row + x * bits / 8;
            pixel[0] = GetBValue(Pattern(x, y));
            pixel[1] = GetGValue(Pattern(x, y));
            pixel[2] = GetRValue(Pattern(x, y));
        }
    }
    return dib;
}

// The bitmap drawn onto a canvas whose pixels can be read.
void DrawOnto(control_test::Canvas& canvas, HBITMAP bitmap)
{
    HDC memory = CreateCompatibleDC(canvas.hdc());
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(canvas.hdc(), 0, 0, canvas.width(), canvas.height(), memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void ExpectPattern(HBITMAP bitmap, int width, int height)
{
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectW(bitmap, sizeof(bm), &bm));
    EXPECT_EQ(bm.bmBits, nullptr) << "not a device-dependent bitmap";
    EXPECT_EQ(bm.bmWidth, width);
    EXPECT_EQ(bm.bmHeight, height);
    control_test::Canvas canvas(width, height, RGB(1, 2, 3));
    DrawOnto(canvas, bitmap);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(canvas.Pixel(x, y), Pattern(x, y)) << "at " << x << "," << y;
    }
}

class PictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExW(0, L"STATIC", L"copier", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }

    // Another program's copy of one format; the clipboard owns the data afterwards.
    void Put(UINT format, HANDLE data)
    {
        ASSERT_TRUE(OpenClipboard(owner));
        EmptyClipboard();
        SetClipboardData(format, data);
        CloseClipboard();
    }
    void PutDib(const Bytes& dib)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
        std::memcpy(GlobalLock(block), dib.data(), dib.size());
        GlobalUnlock(block);
        Put(CF_DIB, block);
    }
    ClipboardPicture::Outcome ReadClipboard()
    {
        if (!OpenClipboard(owner))
            return ClipboardPicture::Outcome::Failed;
        const ClipboardPicture::Outcome outcome = picture.Read();
        CloseClipboard();
        bitmap.Reset(picture.Release());
        return outcome;
    }

    HWND owner = nullptr;
    ClipboardPicture picture;
    UniqueBitmap bitmap;
};

TEST_F(PictureTest, TrueColourDibsReadBackPixelForPixelWithTheirSizeAsLabel)
{
    PutDib(TrueColourDib(7, 5, 24, false));
    ASSERT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Read);
    EXPECT_EQ(picture.Label(), L"Picture 7 x 5");
    ExpectPattern(bitmap.Get(), 7, 5);

    PutDib(TrueColourDib(3, 4, 32, true));
    ASSERT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Read);
    EXPECT_EQ(picture.Label(), L"Picture 3 x 4");
    ExpectPattern(bitmap.Get(), 3, 4);
}

TEST_F(PictureTest, APaletteDibReadsItsColours)
{
    // Two by two, 8 bits, three colours used: blue, green, red, then a repeat of blue.
    Bytes dib(sizeof(BITMAPINFOHEADER) + 3 * 4 + 2 * 4, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    *header = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 3, 0};
    const BYTE table[12] = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};
    std::memcpy(dib.data() + sizeof(BITMAPINFOHEADER), table, sizeof table);
    const BYTE rows[8] = {2, 0, 0, 0, 0, 1, 0, 0};  // bottom row first
    std::memcpy(dib.data() + sizeof(BITMAPINFOHEADER) + sizeof table, rows, sizeof rows);
    PutDib(dib);
    ASSERT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Read);
    control_test::Canvas canvas(2, 2, RGB(1, 2, 3));
    DrawOnto(canvas, bitmap.Get());
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(canvas.Pixel(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(1, 1), RGB(0, 0, 255));
}

TEST_F(PictureTest, ABitmapReadsAsACopyOfItsOwn)
{
    const Bytes dib = TrueColourDib(6, 3, 24, false);
    HDC screen = GetDC(nullptr);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    HBITMAP source = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.data() + sizeof(BITMAPINFOHEADER), info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(picture.ReadBitmap(source), ClipboardPicture::Outcome::Read);
    UniqueBitmap copy(picture.Release());
    ASSERT_NE(copy.Get(), source);
    ExpectPattern(copy.Get(), 6, 3);
    EXPECT_EQ(picture.Label(), L"Picture 6 x 3");

    // As another program leaves it: the clipboard owns the bitmap and offers what it makes of it.
    Put(CF_BITMAP, source);
    ASSERT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Read);
    ExpectPattern(bitmap.Get(), 6, 3);
}

TEST_F(PictureTest, HeadersThatLieOrAskTooMuchAreRefusedWithoutABitmap)
{
    // 100 x 100 at 24 bits needs 30000 bytes of pixels; the block holds 100.
    Bytes lying = TrueColourDib(100, 100, 24, false);
    lying.resize(sizeof(BITMAPINFOHEADER) + 100);
    PutDib(lying);
    EXPECT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Malformed);
    EXPECT_EQ(bitmap.Get(), nullptr);

    // 8192 x 8193 is over 256 MB of pixels: refused from the header alone.
    Bytes huge = TrueColourDib(1, 1, 24, false);
    reinterpret_cast<BITMAPINFOHEADER*>(huge.data())->biWidth = 8192;
    reinterpret_cast<BITMAPINFOHEADER*>(huge.data())->biHeight = 8193;
    PutDib(huge);
    EXPECT_EQ(ReadClipboard(), ClipboardPicture::Outcome::TooLarge);
    EXPECT_EQ(bitmap.Get(), nullptr);

    const wchar_t text[] = L"only text";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    Put(CF_UNICODETEXT, block);
    EXPECT_EQ(ReadClipboard(), ClipboardPicture::Outcome::NoPicture);
}

}  // namespace
