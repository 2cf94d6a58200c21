// The clipboard's packed pictures: which are taken, the size limit from the
// header alone, and headers that promise more than their block holds.
#include <gtest/gtest.h>

#include <vector>

#include "history/PackedDibFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// An info header of `headerSize` bytes followed by `tail` bytes of colours, masks and pixels.
Bytes Dib(std::int32_t width, std::int32_t height, std::uint16_t bits, std::size_t tail, std::uint32_t compression = 0,
          std::uint32_t coloursUsed = 0, std::uint32_t headerSize = 40) {
    Bytes bytes(headerSize + tail, 0);
    Put32(bytes, 0, headerSize);
    Put32(bytes, 4, static_cast<std::uint32_t>(width));
    Put32(bytes, 8, static_cast<std::uint32_t>(height));
    bytes[12] = 1;
    bytes[14] = static_cast<std::uint8_t>(bits);
    Put32(bytes, 16, compression);
    Put32(bytes, 32, coloursUsed);
    return bytes;
}

PackedDibCheck Check(const Bytes& bytes, PackedDibLayout* out = nullptr) {
    PackedDibLayout layout;
    const PackedDibCheck result = CheckPackedDib(bytes.data(), bytes.size(), layout);
    if (out) *out = layout;
    return result;
}

TEST(PackedDib, LaysOutTheUsualPictures) {
    struct Case {
        Bytes dib;
        std::size_t offset;
        std::uint64_t pixels;
    };
    const Case cases[] = {
        {Dib(7, 5, 24, 5 * 24), 40, 5 * 24},                         // rows of 21 bytes padded to 24
        {Dib(3, -2, 32, 12 + 2 * 12, 3), 52, 2 * 12},                // top-down, masks after the header
        {Dib(3, 2, 32, 2 * 12, 3, 0, 124), 124, 2 * 12},             // V5: masks inside the header
        {Dib(9, 3, 8, 4 * 3 + 3 * 12, 0, 3), 52, 3 * 12},            // three colours used
        {Dib(17, 2, 1, 8 + 2 * 4), 48, 2 * 4},
        {Dib(5, 1, 4, 64 + 4), 104, 4},
        {Dib(2, 2, 24, 4 * 16 + 2 * 8, 0, 16), 104, 2 * 8},          // a palette beside true colour
    };
    for (const Case& c : cases) {
        PackedDibLayout layout;
        ASSERT_EQ(Check(c.dib, &layout), PackedDibCheck::Ok) << "offset " << c.offset;
        EXPECT_EQ(layout.pixelOffset, c.offset);
        EXPECT_EQ(layout.pixelBytes, c.pixels);
        // One byte less and the block no longer holds the picture.
        EXPECT_EQ(Check(Bytes(c.dib.begin(), c.dib.end() - 1)), PackedDibCheck::Malformed) << "offset " << c.offset;
    }
    PackedDibLayout layout;
    Check(Dib(3, -2, 32, 36, 3), &layout);
    EXPECT_EQ(layout.width, 3);
    EXPECT_EQ(layout.height, 2);
}

TEST(PackedDib, TheSizeLimitComesFromTheHeaderBeforeTheBlockIsTrusted) {
    // Exactly 64 MiB of 32-bit pixels is taken when the block holds it; one row more is not.
    PackedDibLayout layout;
    Bytes header = Dib(4096, 4096, 8, 0);
    EXPECT_EQ(CheckPackedDib(header.data(), header.size() + 1024 + 4096ull * 4096, layout), PackedDibCheck::Ok);
    EXPECT_EQ(Check(Dib(4096, 4097, 8, 0)), PackedDibCheck::TooLarge);
    EXPECT_EQ(Check(Dib(4096, -4097, 1, 0)), PackedDibCheck::TooLarge);
    EXPECT_EQ(Check(Dib(0x7FFFFFFF, 0x7FFFFFFF, 32, 0)), PackedDibCheck::TooLarge);
    EXPECT_EQ(Check(Dib(4096, 4096, 24, 0)), PackedDibCheck::Malformed) << "a block with no pixels";
}

TEST(PackedDib, RefusesWhatItDoesNotRead) {
    EXPECT_EQ(Check(Bytes{40, 0, 0}), PackedDibCheck::Malformed);
    Bytes shortHeader = Dib(1, 1, 24, 4);
    shortHeader.resize(39);
    EXPECT_EQ(Check(shortHeader), PackedDibCheck::Malformed);
    EXPECT_EQ(Check(Dib(1, 1, 24, 200, 0, 0, 12)), PackedDibCheck::Malformed);   // the old core header
    EXPECT_EQ(Check(Dib(1, 1, 24, 200, 0, 0, 64)), PackedDibCheck::Malformed);
    EXPECT_EQ(Check(Dib(0, 1, 24, 200)), PackedDibCheck::Malformed);
    EXPECT_EQ(Check(Dib(-1, 1, 24, 200)), PackedDibCheck::Malformed);
    EXPECT_EQ(Check(Dib(1, 0, 24, 200)), PackedDibCheck::Malformed);
    EXPECT_EQ(Check(Dib(1, INT32_MIN, 24, 200)), PackedDibCheck::Malformed);
    EXPECT_EQ(Check(Dib(1, 1, 2, 200)), PackedDibCheck::Malformed);               // no such depth
    EXPECT_EQ(Check(Dib(1, 1, 8, 200, 1)), PackedDibCheck::Malformed);            // run-length coded
    EXPECT_EQ(Check(Dib(1, 1, 24, 200, 3)), PackedDibCheck::Malformed);           // masks need 16 or 32 bits
    EXPECT_EQ(Check(Dib(1, 1, 24, 200, 4)), PackedDibCheck::Malformed);           // JPEG
    EXPECT_EQ(Check(Dib(1, 1, 8, 2000, 0, 257)), PackedDibCheck::Malformed);      // more colours than 8 bits name
    EXPECT_EQ(Check(Dib(1, 1, 24, 2000, 0, 300)), PackedDibCheck::Malformed);
    Bytes twoPlanes = Dib(1, 1, 24, 200);
    twoPlanes[12] = 2;
    EXPECT_EQ(Check(twoPlanes), PackedDibCheck::Malformed);
    PackedDibLayout layout;
    EXPECT_EQ(CheckPackedDib(nullptr, 100, layout), PackedDibCheck::Malformed);
}

}  // namespace
