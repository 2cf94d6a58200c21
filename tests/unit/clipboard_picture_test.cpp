// Pictures from the real clipboard: DIBs and a bitmap read back pixel for
// pixel, and blocks whose header lies about its size or asks too much.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "history/clipboard/ClipboardPicture.h"

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

COLORREF Pattern(int x, int y) { return RGB(30 * x + 5, 40 * y + 7, 200 - 9 * x * y); }

// A packed DIB: 24 bits bottom-up, or 32 bits top-down with masks after the header.
Bytes PatternDib(int width, int height, int bits)
{
    const int stride = (bits * width + 31) / 32 * 4;
    const size_t table = bits == 32 ? 12 : 0;
    Bytes dib(sizeof(BITMAPINFOHEADER) + table + static_cast<size_t>(stride) * height, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = bits == 32 ? -height : height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = bits == 32 ? BI_BITFIELDS : BI_RGB;
    if (bits == 32) {
        const DWORD masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
        std::memcpy(dib.data() + sizeof(BITMAPINFOHEADER), masks, sizeof masks);
    }
    for (int y = 0; y < height; ++y) {
        const int stored = bits == 32 ? y : height - 1 - y;
        BYTE* row = dib.data() + sizeof(BITMAPINFOHEADER) + table + static_cast<size_t>(stride) * stored;
        for (int x = 0; x < width; ++x) {
            row[x * bits / 8] = GetBValue(Pattern(x, y));
            row[x * bits / 8 + 1] = GetGValue(Pattern(x, y));
            row[x * bits / 8 + 2] = GetRValue(Pattern(x, y));
        }
    }
    return dib;
}

void ExpectPattern(HBITMAP bitmap, int width, int height)
{
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectW(bitmap, sizeof(bm), &bm));
    EXPECT_EQ(bm.bmBits, nullptr) << "not a device-dependent bitmap";
    ASSERT_EQ(bm.bmWidth, width);
    ASSERT_EQ(bm.bmHeight, height);
    control_test::Canvas canvas(width, height, RGB(1, 2, 3));
    HDC memory = CreateCompatibleDC(canvas.hdc());
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(canvas.hdc(), 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(canvas.Pixel(x, y), Pattern(x, y)) << "at " << x << "," << y;
    }
}

class PictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
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
    void PutBytes(UINT format, const void* bytes, size_t size)
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        Put(format, block);
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

TEST_F(PictureTest, DibsAndABitmapReadBackPixelForPixelWithTheirSizeAsLabel)
{
    const Bytes bottomUp = PatternDib(7, 5, 24);
    PutBytes(CF_DIB, bottomUp.data(), bottomUp.size());
    ASSERT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Read);
    EXPECT_EQ(picture.Label(), L"Picture 7 x 5");
    ExpectPattern(bitmap.Get(), 7, 5);

    const Bytes topDown = PatternDib(3, 4, 32);
    PutBytes(CF_DIB, topDown.data(), topDown.size());
    ASSERT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Read);
    ExpectPattern(bitmap.Get(), 3, 4);

    // A bitmap without a DIB: read as a copy, the original left to its owner.
    HDC screen = GetDC(nullptr);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bottomUp.data());
    UniqueBitmap source(CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bottomUp.data() + sizeof(BITMAPINFOHEADER),
                                       info, DIB_RGB_COLORS));
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(picture.ReadBitmap(source.Get()), ClipboardPicture::Outcome::Read);
    UniqueBitmap copy(picture.Release());
    ASSERT_NE(copy.Get(), source.Get());
    ExpectPattern(copy.Get(), 7, 5);
    EXPECT_EQ(picture.Label(), L"Picture 7 x 5");
}

TEST_F(PictureTest, HeadersThatLieOrAskTooMuchGiveNoBitmap)
{
    // 100 x 100 at 24 bits needs 30000 bytes of pixels; the block holds 100.
    Bytes lying = PatternDib(100, 100, 24);
    lying.resize(sizeof(BITMAPINFOHEADER) + 100);
    PutBytes(CF_DIB, lying.data(), lying.size());
    EXPECT_EQ(ReadClipboard(), ClipboardPicture::Outcome::Malformed);
    EXPECT_EQ(bitmap.Get(), nullptr);

    // 8192 x 8193 is over 256 MB of pixels: refused from the header alone.
    Bytes huge = PatternDib(1, 1, 24);
    reinterpret_cast<BITMAPINFOHEADER*>(huge.data())->biWidth = 8192;
    reinterpret_cast<BITMAPINFOHEADER*>(huge.data())->biHeight = 8193;
    PutBytes(CF_DIB, huge.data(), huge.size());
    EXPECT_EQ(ReadClipboard(), ClipboardPicture::Outcome::TooLarge);
    EXPECT_EQ(bitmap.Get(), nullptr);

    PutBytes(CF_UNICODETEXT, L"only text", sizeof L"only text");
    EXPECT_EQ(ReadClipboard(), ClipboardPicture::Outcome::NoPicture);
}

}  // namespace
