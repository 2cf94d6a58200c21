// The bitmap file loader and writer on real files: BMPs written by Pillow and
// ImageMagick load with their pixels, every refusal gives NULL and leaves no
// file open and no memory behind, and the files we write load back and (see
// tools/check_written_bmp.py) read in Pillow.
//
// The fixtures are read from tests/unit/fixtures beside this source file; the
// files for the Pillow check go to written_bmp in the working directory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/CFile.h"
#include "framework/Handles.h"
#include "history/store/formats/BitmapFileWriter.h"
#include "history/model/BmpFormat.h"
#include "history/store/formats/CBitmapFile.h"

namespace {

using Bytes = std::vector<BYTE>;
using Colour = std::function<COLORREF(int x, int y)>;

// A Unix path from the build becomes a path on Wine's Z: drive.
std::wstring HostPath(const char* path)
{
    std::wstring wide(path, path + std::strlen(path));
    for (wchar_t& ch : wide)
        if (ch == L'/')
            ch = L'\\';
    return wide.size() > 0 && wide[0] == L'\\' ? L"Z:" + wide : wide;
}

std::wstring FixturePath(const wchar_t* name)
{
    std::wstring folder = HostPath(__FILE__);
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + L"fixtures\\" + name;
}

class TempFolder {
public:
    TempFolder()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"quillary-bmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(GetTickCount64()) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder()
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                DeleteFileW((m_path + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }

private:
    std::wstring m_path;
};

Bytes ReadWholeFile(const std::wstring& path)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead))
        return Bytes();
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    if (!bytes.empty())
        bytes.resize(file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
    return bytes;
}

void WriteWholeFile(const std::wstring& path, const Bytes& bytes)
{
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    if (!bytes.empty())
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

void Put16(Bytes& b, size_t at, unsigned v)
{
    b[at] = static_cast<BYTE>(v);
    b[at + 1] = static_cast<BYTE>(v >> 8);
}

void Put32(Bytes& b, size_t at, unsigned v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

struct BmpDescription {
    unsigned bits = 24;
    unsigned clrUsed = 0;
    unsigned compression = 0;
    unsigned pixelOffset = 54;
    unsigned infoSize = 40;
    int width = 10;
    int height = 10;
    size_t pixelBytes = 320;
    BYTE fill = 0x5A;
};

// A BMP file with these header values, a zero colour table and pixel bytes of `fill`.
Bytes MakeBmp(const BmpDescription& s)
{
    const size_t start = s.pixelOffset > 54 ? s.pixelOffset : 54;
    Bytes b(start, 0);
    b.resize(start + s.pixelBytes, s.fill);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<unsigned>(b.size()));
    Put32(b, 10, s.pixelOffset);
    Put32(b, 14, s.infoSize);
    Put32(b, 18, static_cast<unsigned>(s.width));
    Put32(b, 22, static_cast<unsigned>(s.height));
    Put16(b, 26, 1);
    Put16(b, 28, s.bits);
    Put32(b, 30, s.compression);
    Put32(b, 46, s.clrUsed);
    return b;
}

int ScreenBits()
{
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES);
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // top row first
};

Picture ReadPixels(HBITMAP bitmap)
{
    Picture picture;
    BITMAP bm = {};
    if (GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm)
        return picture;
    picture.width = bm.bmWidth;
    picture.height = bm.bmHeight;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> bgrx(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    WindowDC screen(nullptr);
    GetDIBits(screen.Get(), bitmap, 0, bm.bmHeight, bgrx.data(), &info, DIB_RGB_COLORS);
    for (DWORD value : bgrx)
        picture.pixels.push_back(RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF));
    return picture;
}

// A screen-compatible bitmap, as the history keeps them, drawn pixel by pixel.
UniqueBitmap MakeBitmap(int width, int height, const Colour& colour)
{
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    std::vector<DWORD> bgrx;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            bgrx.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBits(screen.Get(), bitmap.Get(), 0, height, bgrx.data(), &info, DIB_RGB_COLORS);
    return bitmap;
}

// The pictures of tools/bmp_patterns.py.
COLORREF Gradient(int x, int y) { return RGB((x * 37 + y * 11) & 255, (x * 5 + y * 53) & 255, (x * y * 7 + 19) & 255); }

COLORREF Vga(int x, int y)
{
    static const COLORREF colours[16] = {
        RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0), RGB(0, 0, 128),   RGB(128, 0, 128),
        RGB(0, 128, 128), RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0),
        RGB(0, 0, 255),   RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    return colours[(x + 3 * y) % 16];
}

COLORREF Mono(int x, int y) { return (x + 2 * y) % 3 == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0); }

void ExpectPicture(HBITMAP bitmap, int width, int height, const Colour& colour)
{
    const Picture picture = ReadPixels(bitmap);
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (picture.pixels[static_cast<size_t>(y) * width + x] != colour(x, y) && wrong++ == 0)
                ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex
                              << picture.pixels[static_cast<size_t>(y) * width + x] << ", expected " << colour(x, y);
    EXPECT_EQ(wrong, 0);
}

// Committed private memory of the process: grows when blocks leak.
size_t CommittedBytes()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    const BYTE* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

class BitmapFileTest : public ::testing::Test {
protected:
    HBITMAP Load(const std::wstring& path) { return CBitmapFile().LoadFromFile(path.c_str()); }
    TempFolder folder;
};

TEST_F(BitmapFileTest, ScreenIsDeepEnoughForExactColours)
{
    // The pixel comparisons below need a true-colour screen (Xvfb runs at 24 bits).
    ASSERT_GE(ScreenBits(), 24);
}

TEST_F(BitmapFileTest, FilesWrittenByOtherProgramsLoadWithTheirPixels)
{
    for (const wchar_t* name :
         {L"pil_1bit", L"magick_4bit", L"pil_8bit_16colours", L"pil_8bit_grey", L"pil_24bit"}) {
        SCOPED_TRACE(testing::Message() << std::string(name, name + wcslen(name)));
        const Bytes expected = ReadWholeFile(FixturePath(name) + L".rgb");
        ASSERT_GT(expected.size(), 8u) << "fixture missing";
        int width = 0;
        int height = 0;
        std::memcpy(&width, expected.data(), 4);
        std::memcpy(&height, expected.data() + 4, 4);
        ASSERT_EQ(expected.size(), 8u + 3u * width * height);

        UniqueBitmap bitmap(Load(FixturePath(name) + L".bmp"));
        ASSERT_TRUE(bitmap);
        BITMAP bm = {};
        ASSERT_EQ(GetObjectW(bitmap.Get(), sizeof bm, &bm), static_cast<int>(sizeof bm));
        // A device-dependent bitmap of the screen's depth, whatever the file's.
        EXPECT_EQ(bm.bmBitsPixel, ScreenBits());
        ExpectPicture(bitmap.Get(), width, height, [&](int x, int y) {
            const BYTE* rgb = expected.data() + 8 + 3 * (static_cast<size_t>(y) * width + x);
            return RGB(rgb[0], rgb[1], rgb[2]);
        });
    }
}

TEST_F(BitmapFileTest, HeaderVariantsTheLoaderAccepts)
{
    BmpDescription masks16;  // 16 and 32 bits need the 12 mask bytes: offset 66
    masks16.bits = 16;
    masks16.pixelOffset = 66;
    masks16.pixelBytes = 200;
    BmpDescription rgb32 = masks16;
    rgb32.bits = 32;
    rgb32.pixelBytes = 400;
    rgb32.fill = 0x80;
    BmpDescription colours16;
    colours16.bits = 8;
    colours16.clrUsed = 16;
    colours16.pixelOffset = 118;
    colours16.pixelBytes = 120;
    BmpDescription extraBytes;
    extraBytes.pixelBytes = 5000;
    BmpDescription topDown;
    topDown.height = -10;
    const struct {
        BmpDescription description;
        COLORREF topLeft;  // CLR_INVALID: not checked
    } cases[] = {{masks16, CLR_INVALID},
                 {rgb32, RGB(0x80, 0x80, 0x80)},
                 {colours16, CLR_INVALID},
                 {extraBytes, RGB(0x5A, 0x5A, 0x5A)},
                 {topDown, RGB(0x5A, 0x5A, 0x5A)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.description.bits << " bits, offset " << c.description.pixelOffset);
        const std::wstring path = folder / L"accepted.bmp";
        WriteWholeFile(path, MakeBmp(c.description));
        UniqueBitmap bitmap(Load(path));
        ASSERT_TRUE(bitmap);
        const Picture picture = ReadPixels(bitmap.Get());
        EXPECT_EQ(picture.width, 10);
        EXPECT_EQ(picture.height, 10);
        if (c.topLeft != CLR_INVALID) {
            EXPECT_EQ(picture.pixels[0], c.topLeft);
        }
    }
}

struct Refusal {
    const char* what;
    Bytes file;
};

std::vector<Refusal> RefusedFiles()
{
    std::vector<Refusal> refusals;
    const Bytes good = MakeBmp({});
    refusals.push_back({"53 bytes", Bytes(good.begin(), good.begin() + 53)});
    Bytes notBm = good;
    notBm[0] = 'X';
    refusals.push_back({"not BM", notBm});
    BmpDescription v5;
    v5.infoSize = 124;
    v5.pixelOffset = 138;
    refusals.push_back({"124-byte header", MakeBmp(v5)});
    BmpDescription rle8;
    rle8.bits = 8;
    rle8.compression = 1;
    rle8.pixelOffset = 1078;
    rle8.pixelBytes = 120;
    refusals.push_back({"RLE8", MakeBmp(rle8)});
    BmpDescription rle4 = rle8;
    rle4.bits = 4;
    rle4.compression = 2;
    rle4.pixelOffset = 118;
    refusals.push_back({"RLE4", MakeBmp(rle4)});
    BmpDescription noMasks16;
    noMasks16.bits = 16;
    noMasks16.pixelBytes = 200;
    refusals.push_back({"16 bits at offset 54", MakeBmp(noMasks16)});
    BmpDescription noMasks32 = noMasks16;
    noMasks32.bits = 32;
    noMasks32.pixelBytes = 400;
    refusals.push_back({"32 bits at offset 54", MakeBmp(noMasks32)});
    BmpDescription shortPixels;
    shortPixels.pixelBytes = 319;
    refusals.push_back({"short pixel block", MakeBmp(shortPixels)});
    BmpDescription cutTable;
    cutTable.bits = 8;
    cutTable.pixelOffset = 1078;
    cutTable.pixelBytes = 0;
    Bytes cut = MakeBmp(cutTable);
    cut.resize(600);
    refusals.push_back({"file ends inside the colour table", cut});
    BmpDescription noPixels;
    noPixels.pixelBytes = 0;
    refusals.push_back({"no pixel bytes", MakeBmp(noPixels)});
    return refusals;
}

TEST_F(BitmapFileTest, RefusalsGiveNullAndLeaveTheFileClosed)
{
    // The proof below works: a file open as the loader opens it cannot be deleted.
    const std::wstring control = folder / L"control.bmp";
    WriteWholeFile(control, MakeBmp({}));
    {
        CFile open;
        ASSERT_TRUE(open.Open(control.c_str(), CFile::modeRead | CFile::shareDenyWrite));
        EXPECT_FALSE(DeleteFileW(control.c_str()));
    }
    for (const Refusal& refusal : RefusedFiles()) {
        SCOPED_TRACE(refusal.what);
        const std::wstring path = folder / L"refused.bmp";
        WriteWholeFile(path, refusal.file);
        EXPECT_EQ(Load(path), nullptr);
        EXPECT_TRUE(DeleteFileW(path.c_str()));
    }
    // Pillow's own 32-bit file has no mask bytes either.
    EXPECT_EQ(Load(FixturePath(L"pil_32bit_offset54.bmp")), nullptr);
    EXPECT_EQ(Load(folder / L"missing.bmp"), nullptr);
}

TEST_F(BitmapFileTest, RefusalsAndLoadsLeaveNoMemoryBehind)
{
    // 16000 colours used: a 64000-byte colour table in every info block.
    BmpDescription bigTable;
    bigTable.bits = 8;
    bigTable.clrUsed = 16000;
    bigTable.pixelOffset = 54 + 64000;
    bigTable.pixelBytes = 120;
    const std::wstring accepted = folder / L"accepted.bmp";
    WriteWholeFile(accepted, MakeBmp(bigTable));
    bigTable.compression = 1;
    const std::wstring rle = folder / L"rle.bmp";
    WriteWholeFile(rle, MakeBmp(bigTable));
    bigTable.compression = 0;
    bigTable.pixelBytes = 119;
    const std::wstring shortPixels = folder / L"short.bmp";
    WriteWholeFile(shortPixels, MakeBmp(bigTable));

    auto loadAll = [&] {
        ASSERT_EQ(Load(rle), nullptr);
        ASSERT_EQ(Load(shortPixels), nullptr);
        UniqueBitmap bitmap(Load(accepted));
        ASSERT_TRUE(bitmap);
    };
    loadAll();  // the heap settles on the first round
    const size_t before = CommittedBytes();
    for (int i = 0; i < 300; ++i)
        loadAll();
    // A leaked info block would be 300 x 64 KB, about 19 MB, per kind of file.
    EXPECT_LT(CommittedBytes(), before + (4u << 20));
}

TEST_F(BitmapFileTest, StepsRestoreTheFilePositionAndReadTheirBlocks)
{
    BmpDescription description;
    description.bits = 8;
    description.clrUsed = 16;
    description.pixelOffset = 118;
    description.pixelBytes = 130;
    description.fill = 0x33;
    Bytes bytes = MakeBmp(description);
    bytes[54] = 0x11;  // first colour
    const std::wstring path = folder / L"steps.bmp";
    WriteWholeFile(path, bytes);

    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    file.Seek(7, CFile::begin);
    EXPECT_TRUE(CBitmapFile::CheckBmpHeaders(file));
    EXPECT_EQ(file.GetPosition(), 7u);

    void* info = CBitmapFile::ReadBmpInfo(file);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(file.GetPosition(), 7u);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(info);
    EXPECT_EQ(header->biSize, 40u);
    EXPECT_EQ(header->biClrUsed, 16u);
    EXPECT_EQ(static_cast<const BYTE*>(info)[40], 0x11);
    EXPECT_EQ(CBitmapFile::ColorTableEntries(*header), 16);
    EXPECT_EQ(CBitmapFile::ColorTableBytes(*header), 64);
    // The block reaches the pixel offset and has a zero tail beyond it.
    EXPECT_GE(_msize(info), kBmpInfoBlockMinimum);
    EXPECT_EQ(static_cast<const BYTE*>(info)[118 - 14], 0);
    std::free(info);

    void* pixels = CBitmapFile::ReadBmpBits(file);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(file.GetPosition(), 7u);
    EXPECT_EQ(_msize(pixels), 130u);
    EXPECT_EQ(static_cast<const BYTE*>(pixels)[129], 0x33);
    std::free(pixels);
}

TEST(DuplicateBlockTest, BothForms)
{
    EXPECT_EQ(CBitmapFile::DuplicateBlock(nullptr, 0), nullptr);
    BYTE* zeroed = static_cast<BYTE*>(CBitmapFile::DuplicateBlock(nullptr, 64));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(_msize(zeroed), 64u);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(zeroed[i], 0);
    for (int i = 0; i < 64; ++i)
        zeroed[i] = static_cast<BYTE>(i + 1);

    BYTE* same = static_cast<BYTE*>(CBitmapFile::DuplicateBlock(zeroed, 0));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(_msize(same), 64u);
    EXPECT_EQ(std::memcmp(same, zeroed, 64), 0);

    BYTE* larger = static_cast<BYTE*>(CBitmapFile::DuplicateBlock(zeroed, 100));
    ASSERT_NE(larger, nullptr);
    EXPECT_EQ(std::memcmp(larger, zeroed, 64), 0);
    for (int i = 64; i < 100; ++i)
        EXPECT_EQ(larger[i], 0);

    BYTE* smaller = static_cast<BYTE*>(CBitmapFile::DuplicateBlock(zeroed, 10));
    ASSERT_NE(smaller, nullptr);
    EXPECT_EQ(_msize(smaller), 10u);
    EXPECT_EQ(std::memcmp(smaller, zeroed, 10), 0);

    EXPECT_EQ(zeroed[63], 64);  // the old block stays the caller's, unchanged
    for (void* block : {static_cast<void*>(zeroed), static_cast<void*>(same), static_cast<void*>(larger),
                        static_cast<void*>(smaller)})
        std::free(block);
}

// The picture's file as a full save writes it.
bool SaveBitmap(HBITMAP bitmap, const std::wstring& path, int screenDepth = ScreenColorDepth())
{
    std::vector<BYTE> file;
    if (!EncodeBitmapFile(bitmap, screenDepth, file))
        return false;
    WriteWholeFile(path, Bytes(file.begin(), file.end()));
    return true;
}

TEST_F(BitmapFileTest, TenByTenOnThisScreenIsThe374ByteFile)
{
    ASSERT_GE(ScreenBits(), 24);
    UniqueBitmap bitmap = MakeBitmap(10, 10, Gradient);
    const std::wstring path = folder / L"3.dat";
    ASSERT_TRUE(SaveBitmap(bitmap.Get(), path));
    const Bytes file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 374u);
    const Bytes headers{'B', 'M', 0x76, 0x01, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0,
                        1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), headers);
    // Rows bottom-up, 3 bytes (blue, green, red) a pixel, padded to 32 bytes.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const BYTE* pixel = file.data() + 54 + (9 - y) * 32 + 3 * x;
            const COLORREF expected = Gradient(x, y);
            ASSERT_EQ(RGB(pixel[2], pixel[1], pixel[0]), expected) << x << "," << y;
        }

    UniqueBitmap loaded(Load(path));
    ASSERT_TRUE(loaded);
    ExpectPicture(loaded.Get(), 10, 10, Gradient);
    // The same bytes held in memory (a journal's picture) load alike; cut short, they do not.
    UniqueBitmap fromMemory(CBitmapFile::LoadFromMemory(file.data(), file.size()));
    ASSERT_TRUE(fromMemory);
    ExpectPicture(fromMemory.Get(), 10, 10, Gradient);
    EXPECT_EQ(CBitmapFile::LoadFromMemory(file.data(), file.size() - 1), nullptr);
    EXPECT_EQ(CBitmapFile::LoadFromMemory(file.data(), 53), nullptr);
}

TEST_F(BitmapFileTest, ShallowScreensGetColourTables)
{
    const struct {
        int screen;
        size_t pixelOffset;
        size_t size;
        Colour colour;
    } cases[] = {{8, 1078, 1078 + 120, Vga}, {4, 118, 118 + 80, Vga}, {1, 62, 62 + 40, Mono}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        UniqueBitmap bitmap = MakeBitmap(10, 10, c.colour);
        const std::wstring path = folder / L"shallow.dat";
        ASSERT_TRUE(SaveBitmap(bitmap.Get(), path, c.screen));
        const Bytes file = ReadWholeFile(path);
        ASSERT_EQ(file.size(), c.size);
        EXPECT_EQ(file[10] | (file[11] << 8), static_cast<int>(c.pixelOffset));
        EXPECT_EQ(file[46], 0);  // colours used stays 0: the full table is there
        UniqueBitmap loaded(Load(path));
        ASSERT_TRUE(loaded);
        ExpectPicture(loaded.Get(), 10, 10, c.colour);
    }
}

TEST_F(BitmapFileTest, NoBitmapOrAGoneOneGivesNoFile)
{
    std::vector<BYTE> file;
    EXPECT_FALSE(EncodeBitmapFile(nullptr, 24, file));
    HBITMAP deleted = MakeBitmap(4, 4, Gradient).Release();
    DeleteObject(deleted);
    EXPECT_FALSE(EncodeBitmapFile(deleted, 24, file));
}

// Files for tools/check_written_bmp.py, which reads them with Pillow.
TEST_F(BitmapFileTest, WritesFilesForThePillowCheck)
{
    const std::wstring out = L"written_bmp";
    CreateDirectoryW(out.c_str(), nullptr);
    const struct {
        int screen;
        int width;
        int height;
        const wchar_t* name;
        Colour colour;
    } files[] = {{32, 11, 5, L"written_24bit_11x5.bmp", Gradient},
                 {8, 9, 4, L"written_8bit_9x4.bmp", Vga},
                 {4, 9, 4, L"written_4bit_9x4.bmp", Vga},
                 {1, 13, 7, L"written_1bit_13x7.bmp", Mono}};
    for (const auto& f : files) {
        DeleteFileW((out + L"\\" + f.name).c_str());
        UniqueBitmap bitmap = MakeBitmap(f.width, f.height, f.colour);
        EXPECT_TRUE(SaveBitmap(bitmap.Get(), out + L"\\" + f.name, f.screen));
    }
}

}  // namespace
