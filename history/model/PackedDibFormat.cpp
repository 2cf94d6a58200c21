#include "history/model/PackedDibFormat.h"

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::size_t kMasksBytes = 3 * 4;
constexpr std::uint32_t kMaxPaletteEntries = 256;

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// BITMAPINFOHEADER, its V2 and V3 extensions with masks, V4 and V5.
bool KnownHeaderSize(std::uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

bool KnownDepth(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

PackedDibCheck CheckPackedDib(const std::uint8_t* block, std::size_t blockSize, PackedDibLayout& layout) {
    if (!block || blockSize < 4) return PackedDibCheck::Malformed;
    const std::uint32_t headerSize = Get32(block);
    if (!KnownHeaderSize(headerSize) || headerSize > blockSize) return PackedDibCheck::Malformed;
    const std::int64_t width = static_cast<std::int32_t>(Get32(block + 4));
    const std::int64_t signedHeight = static_cast<std::int32_t>(Get32(block + 8));
    const std::int64_t height = signedHeight < 0 ? -signedHeight : signedHeight;
    if (width <= 0 || height == 0 || height > INT32_MAX) return PackedDibCheck::Malformed;
    // Both below 2^31: the product stays far inside 64 bits.
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 > kMaxPicturePixelBytes)
        return PackedDibCheck::TooLarge;

    const std::uint16_t planes = Get16(block + 12);
    const std::uint16_t bits = Get16(block + 14);
    const std::uint32_t compression = Get32(block + 16);
    const std::uint32_t coloursUsed = Get32(block + 32);
    if (planes != 1 || !KnownDepth(bits)) return PackedDibCheck::Malformed;
    if (compression != kRgb && !(compression == kBitFields && (bits == 16 || bits == 32)))
        return PackedDibCheck::Malformed;

    std::uint64_t tableBytes = 0;
    if (bits <= 8) {
        const std::uint32_t entries = coloursUsed != 0 ? coloursUsed : (1u << bits);
        if (entries > (1u << bits)) return PackedDibCheck::Malformed;
        tableBytes = 4ull * entries;
    } else {
        // An optional palette for devices with few colours; the masks of a
        // 40-byte header come first.
        if (coloursUsed > kMaxPaletteEntries) return PackedDibCheck::Malformed;
        tableBytes = 4ull * coloursUsed + (compression == kBitFields && headerSize == 40 ? kMasksBytes : 0);
    }
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(bits) * static_cast<std::uint64_t>(width) + 31) / 32 * 4;
    const std::uint64_t pixelOffset = headerSize + tableBytes;
    const std::uint64_t pixelBytes = rowBytes * static_cast<std::uint64_t>(height);
    if (pixelOffset + pixelBytes > blockSize) return PackedDibCheck::Malformed;

    layout.width = static_cast<std::int32_t>(width);
    layout.height = static_cast<std::int32_t>(height);
    layout.pixelOffset = static_cast<std::size_t>(pixelOffset);
    layout.pixelBytes = pixelBytes;
    return PackedDibCheck::Ok;
}
