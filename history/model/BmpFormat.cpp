#include "history/model/BmpFormat.h"

#include <cstdlib>

namespace {

// Larger than any picture the system can make; keeps the size arithmetic far
// from overflow.
constexpr std::int64_t kMaxDimension = 1 << 24;

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t RowBytes(std::uint64_t bits, std::uint64_t width) { return (bits * width + 31) / 32 * 4; }

}  // namespace

BmpFileHeader ParseBmpFileHeader(const std::uint8_t* bytes) {
    BmpFileHeader header;
    header.type = Get16(bytes);
    header.fileSize = Get32(bytes + 2);
    header.reserved1 = Get16(bytes + 6);
    header.reserved2 = Get16(bytes + 8);
    header.pixelOffset = Get32(bytes + 10);
    return header;
}

BmpInfoHeader ParseBmpInfoHeader(const std::uint8_t* bytes) {
    BmpInfoHeader info;
    info.size = Get32(bytes);
    info.width = static_cast<std::int32_t>(Get32(bytes + 4));
    info.height = static_cast<std::int32_t>(Get32(bytes + 8));
    info.planes = Get16(bytes + 12);
    info.bitCount = Get16(bytes + 14);
    info.compression = Get32(bytes + 16);
    info.imageSize = Get32(bytes + 20);
    info.xPelsPerMeter = static_cast<std::int32_t>(Get32(bytes + 24));
    info.yPelsPerMeter = static_cast<std::int32_t>(Get32(bytes + 28));
    info.clrUsed = Get32(bytes + 32);
    info.clrImportant = Get32(bytes + 36);
    return info;
}

std::uint16_t ColorTableEntries(const BmpInfoHeader& info) {
    if (info.clrUsed != 0) return static_cast<std::uint16_t>(info.clrUsed);
    switch (info.bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

std::uint16_t ColorTableBytes(const BmpInfoHeader& info) {
    if (info.bitCount == 16 || info.bitCount == 32) return 12;
    return static_cast<std::uint16_t>(4 * ColorTableEntries(info));
}

bool CheckBmpHeaderBytes(std::uint64_t fileLength, const std::uint8_t* fileHeader, std::size_t fileHeaderRead,
                         const std::uint8_t* infoHeader, std::size_t infoHeaderRead) {
    if (fileLength < kBmpHeadersBytes) return false;
    if (fileHeaderRead != kBmpFileHeaderBytes || infoHeaderRead != kBmpInfoHeaderBytes) return false;
    const BmpFileHeader file = ParseBmpFileHeader(fileHeader);
    const BmpInfoHeader info = ParseBmpInfoHeader(infoHeader);
    if (file.type != kBmpType || info.size != kBmpInfoHeaderBytes) return false;
    const std::uint16_t expected = static_cast<std::uint16_t>(kBmpHeadersBytes + ColorTableBytes(info));
    return expected >= kBmpHeadersBytes && file.pixelOffset == expected;
}

bool IsRleCompressed(const BmpInfoHeader& info) {
    return info.compression == kBmpRle8 || info.compression == kBmpRle4;
}

std::size_t BmpInfoBlockBytes(std::uint32_t pixelOffset) { return pixelOffset - kBmpFileHeaderBytes; }

bool BmpPixelBytesNeeded(const BmpInfoHeader& info, std::uint64_t& needed) {
    switch (info.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
    }
    const std::int64_t width = std::llabs(static_cast<std::int64_t>(info.width));
    const std::int64_t height = std::llabs(static_cast<std::int64_t>(info.height));
    if (width > kMaxDimension || height > kMaxDimension) return false;
    needed = RowBytes(info.bitCount, static_cast<std::uint64_t>(width)) * static_cast<std::uint64_t>(height);
    if (info.compression != kBmpUncompressed && info.compression != kBmpBitFields && info.imageSize > needed)
        needed = info.imageSize;
    return true;
}

bool BmpPixelBlockLongEnough(const BmpInfoHeader& info, std::uint64_t pixelBytes) {
    std::uint64_t needed = 0;
    return BmpPixelBytesNeeded(info, needed) && pixelBytes >= needed;
}

std::uint16_t BmpBitsForScreenDepth(int planesTimesBits) {
    if (planesTimesBits <= 1) return 1;
    if (planesTimesBits <= 4) return 4;
    if (planesTimesBits <= 8) return 8;
    return 24;
}

bool ComputeBmpLayout(std::int32_t width, std::int32_t height, std::uint16_t bits, BmpLayout& layout) {
    if (width <= 0 || height <= 0) return false;
    const std::uint64_t table = bits <= 8 ? 4ull << bits : 0;
    const std::uint64_t pixels = RowBytes(bits, static_cast<std::uint64_t>(width)) * static_cast<std::uint64_t>(height);
    const std::uint64_t fileSize = kBmpHeadersBytes + table + pixels;
    if (fileSize > 0xFFFFFFFFull) return false;
    layout.bits = bits;
    layout.tableBytes = static_cast<std::uint32_t>(table);
    layout.pixelBytes = static_cast<std::uint32_t>(pixels);
    layout.pixelOffset = static_cast<std::uint32_t>(kBmpHeadersBytes + table);
    layout.fileSize = static_cast<std::uint32_t>(fileSize);
    return true;
}

std::array<std::uint8_t, kBmpHeadersBytes> BuildBmpHeaders(std::int32_t width, std::int32_t height,
                                                           const BmpLayout& layout) {
    std::array<std::uint8_t, kBmpHeadersBytes> bytes{};
    std::uint8_t* file = bytes.data();
    Put16(file, kBmpType);
    Put32(file + 2, layout.fileSize);
    Put32(file + 10, layout.pixelOffset);
    std::uint8_t* info = file + kBmpFileHeaderBytes;
    Put32(info, kBmpInfoHeaderBytes);
    Put32(info + 4, static_cast<std::uint32_t>(width));
    Put32(info + 8, static_cast<std::uint32_t>(height));
    Put16(info + 12, 1);
    Put16(info + 14, layout.bits);
    // Compression, image size, resolutions and colour counts stay 0.
    return bytes;
}
