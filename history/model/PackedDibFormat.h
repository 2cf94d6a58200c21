#pragma once
// The picture a clipboard offers as CF_DIB: an info header, its colour table
// or masks, then the pixel rows, in one memory block. Plain code over bytes
// that trusts the header only as far as the block's size bears it out.
#include <cstddef>
#include <cstdint>

// Pictures beyond this many bytes of 32-bit pixels are not taken.
constexpr std::uint64_t kMaxPicturePixelBytes = std::uint64_t{64} << 20;

enum class PackedDibCheck {
    Ok,
    Malformed,  // not a picture we read, or the block is shorter than the header says
    TooLarge,   // width x height x 4 beyond kMaxPicturePixelBytes
};

struct PackedDibLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;          // rows, whichever way they run
    std::size_t pixelOffset = 0;      // the info header and the colours or masks after it
    std::uint64_t pixelBytes = 0;     // rows padded to 4 bytes
};

// Reads the info header at the start of `block`, no further than `blockSize`
// bytes. Takes uncompressed and bit-field pictures of 1, 4, 8, 16, 24 or 32
// bits with a 40-byte or later info header, bottom-up or top-down. The size
// limit is checked from the header alone, before anything else is looked at.
PackedDibCheck CheckPackedDib(const std::uint8_t* block, std::size_t blockSize, PackedDibLayout& layout);
