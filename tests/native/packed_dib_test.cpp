// The clipboard's packed pictures: the size limit from the header alone, at
// its exact edge and far past it. Lying blocks meet the real clipboard in the
// unit tests and every block the fuzz target.
#include <gtest/gtest.h>

#include <vector>

#include "history/model/PackedDibFormat.h"

namespace {

std::vector<std::uint8_t> Header(std::int32_t width, std::int32_t height, std::uint16_t bits,
                                 std::uint32_t compression = 0) {
    std::vector<std::uint8_t> bytes(40, 0);
    const std::uint32_t fields[] = {40, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 4; ++i) bytes[4 * f + i] = static_cast<std::uint8_t>(fields[f] >> (8 * i));
    bytes[12] = 1;
    bytes[14] = static_cast<std::uint8_t>(bits);
    bytes[16] = static_cast<std::uint8_t>(compression);
    return bytes;
}

PackedDibCheck Check(const std::vector<std::uint8_t>& header, std::uint64_t blockSize, PackedDibLayout& layout) {
    return CheckPackedDib(header.data(), static_cast<std::size_t>(blockSize), layout);
}

TEST(PackedDib, TheSizeLimitIsSixtyFourMebibytesOfPixelsTakenFromTheHeader) {
    PackedDibLayout layout;
    // Only the header is read; the block sizes stand for what the clipboard's block would hold.
    const std::uint64_t room = 40 + 1024 + 4096ull * 4097;
    EXPECT_EQ(Check(Header(4096, 4096, 8), room, layout), PackedDibCheck::Ok);
    EXPECT_EQ(layout.pixelOffset, 40u + 1024u);
    EXPECT_EQ(Check(Header(4096, -4097, 8), room, layout), PackedDibCheck::TooLarge);
    EXPECT_EQ(Check(Header(0x7FFFFFFF, 0x7FFFFFFF, 1), 40, layout), PackedDibCheck::TooLarge);
    EXPECT_EQ(Check(Header(1, INT32_MIN, 24), room, layout), PackedDibCheck::Malformed);
}

}  // namespace
