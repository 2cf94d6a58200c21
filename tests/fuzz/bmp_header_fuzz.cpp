// Fuzz target: the bitmap loader's checks over an arbitrary file, followed by
// what the system conversion reads from a file they accept: the info header
// with up to three masks and 256 colours, and every pixel row. The blocks are
// sized exactly as the loader allocates them, so the address sanitizer reports
// any read past them.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "history/model/BmpFormat.h"

namespace {

volatile std::uint8_t g_sink;

void Touch(const std::vector<std::uint8_t>& block, std::uint64_t count) {
    std::uint8_t sum = 0;
    for (std::uint64_t i = 0; i < count; ++i) sum = static_cast<std::uint8_t>(sum + block.data()[i]);
    g_sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t head[kBmpHeadersBytes] = {};
    std::memcpy(head, data, std::min(size, kBmpHeadersBytes));
    const std::size_t fileRead = std::min<std::size_t>(size, kBmpFileHeaderBytes);
    const std::size_t infoRead = size > kBmpFileHeaderBytes ? std::min(size - kBmpFileHeaderBytes, kBmpInfoHeaderBytes) : 0;
    if (!CheckBmpHeaderBytes(size, head, fileRead, head + kBmpFileHeaderBytes, infoRead)) return 0;

    const std::uint32_t pixelOffset = ParseBmpFileHeader(head).pixelOffset;
    const std::size_t infoBytes = BmpInfoBlockBytes(pixelOffset);
    if (infoBytes < kBmpInfoHeaderBytes) std::abort();
    if (pixelOffset > size) return 0;  // the info block read comes back short
    std::vector<std::uint8_t> infoBlock(std::max(infoBytes, kBmpInfoBlockMinimum), 0);
    std::memcpy(infoBlock.data(), data + kBmpFileHeaderBytes, infoBytes);
    const BmpInfoHeader info = ParseBmpInfoHeader(infoBlock.data());
    if (IsRleCompressed(info)) return 0;

    const std::size_t pixelBytes = size - pixelOffset;
    if (!BmpPixelBlockLongEnough(info, pixelBytes)) return 0;
    std::vector<std::uint8_t> pixels(data + pixelOffset, data + size);

    Touch(infoBlock, kBmpInfoHeaderBytes + 3 * 4 + 256 * 4);
    std::uint64_t needed = 0;
    if (!BmpPixelBytesNeeded(info, needed)) std::abort();
    Touch(pixels, needed);
    return 0;
}
