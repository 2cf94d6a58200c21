// Fuzz target: the clipboard picture check over an arbitrary block. For a
// block it takes, the conversion reads the pixel rows from the offset it
// gives; the block is copied to exactly its size, so the address sanitizer
// reports any read past it, and a picture over the size limit must never pass.
#include <cstdlib>
#include <vector>

#include "history/model/PackedDibFormat.h"

namespace {

volatile std::uint8_t g_sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> block(data, data + size);
    PackedDibLayout layout;
    if (CheckPackedDib(block.data(), block.size(), layout) != PackedDibCheck::Ok) return 0;
    if (static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height) * 4 > kMaxPicturePixelBytes)
        std::abort();
    std::uint8_t sum = 0;
    for (std::uint64_t i = 0; i < layout.pixelBytes; ++i) sum = static_cast<std::uint8_t>(sum + block.data()[layout.pixelOffset + i]);
    g_sink = sum;
    return 0;
}
