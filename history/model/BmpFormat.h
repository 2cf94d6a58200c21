#pragma once
// The rules of the BMP files that the history keeps: what the loader accepts
// and what the writer produces, as pure functions over bytes so that they
// build and are tested and fuzzed natively.
#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::size_t kBmpInfoHeaderBytes = 40;
constexpr std::size_t kBmpHeadersBytes = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
constexpr std::uint16_t kBmpType = 0x4D42;  // "BM"
constexpr std::uint32_t kBmpRle8 = 1;
constexpr std::uint32_t kBmpRle4 = 2;
constexpr std::uint32_t kBmpUncompressed = 0;
constexpr std::uint32_t kBmpBitFields = 3;

// The system reads at most three masks and 256 colours after the info header,
// whatever the header claims; the info block is never smaller than that, so a
// header with a short table cannot make the conversion read past the block.
constexpr std::size_t kBmpInfoBlockMinimum = kBmpInfoHeaderBytes + 3 * 4 + 256 * 4;

struct BmpFileHeader {
    std::uint16_t type = 0;
    std::uint32_t fileSize = 0;
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint32_t pixelOffset = 0;
};

struct BmpInfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

BmpFileHeader ParseBmpFileHeader(const std::uint8_t* bytes);  // 14 bytes
BmpInfoHeader ParseBmpInfoHeader(const std::uint8_t* bytes);  // 40 bytes

// Colours-used (as a 16-bit count) when not zero, else 2, 16 or 256 for 1, 4
// or 8 bits per pixel, else 0.
std::uint16_t ColorTableEntries(const BmpInfoHeader& info);
// 12 mask bytes for 16 and 32 bits per pixel, else 4 bytes per entry, in 16 bits.
std::uint16_t ColorTableBytes(const BmpInfoHeader& info);

// The loader's header check over what the two header reads returned: the file
// holds at least both headers, the type is "BM", the info header is 40 bytes
// and the pixel offset is 54 plus the colour table, that sum taken in 16 bits.
// A sum that wrapped below 54 is refused: no info block could hold the header.
bool CheckBmpHeaderBytes(std::uint64_t fileLength, const std::uint8_t* fileHeader, std::size_t fileHeaderRead,
                         const std::uint8_t* infoHeader, std::size_t infoHeaderRead);

bool IsRleCompressed(const BmpInfoHeader& info);

// Bytes from offset 14 up to the pixel offset, for headers that passed the check.
std::size_t BmpInfoBlockBytes(std::uint32_t pixelOffset);

// Pixel bytes the image needs: rows padded to 4 bytes, |height| rows, and for
// compressions other than none and bit fields (whose data the system reads by
// the image-size field) at least the image size. False when that cannot be
// known (a bit depth the system has no conversion for) or the dimensions are
// beyond any real picture.
bool BmpPixelBytesNeeded(const BmpInfoHeader& info, std::uint64_t& needed);
// A pixel block shorter than the image needs is refused, so the conversion
// never reads past it.
bool BmpPixelBlockLongEnough(const BmpInfoHeader& info, std::uint64_t pixelBytes);

// The writer's depth for a screen of planes x bits per pixel: 1, 4, 8 or 24.
// Deeper screens get 24-bit files, which the loader accepts.
std::uint16_t BmpBitsForScreenDepth(int planesTimesBits);

struct BmpLayout {
    std::uint16_t bits = 0;
    std::uint32_t tableBytes = 0;   // P: 4 x 2^bits up to 8 bits, else 0
    std::uint32_t pixelBytes = 0;   // S
    std::uint32_t pixelOffset = 0;  // 54 + P
    std::uint32_t fileSize = 0;     // 54 + P + S
};

// False when the picture is empty or its file would not fit the 32-bit size field.
bool ComputeBmpLayout(std::int32_t width, std::int32_t height, std::uint16_t bits, BmpLayout& layout);

// The 14-byte file header followed by the 40-byte info header, as written.
std::array<std::uint8_t, kBmpHeadersBytes> BuildBmpHeaders(std::int32_t width, std::int32_t height,
                                                           const BmpLayout& layout);
