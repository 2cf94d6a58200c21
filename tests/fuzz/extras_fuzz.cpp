// Fuzz target: the extras reader over arbitrary bytes. What it reads must
// survive a write and a second read unchanged.
#include <cstdlib>

#include "history/store/ExtrasFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    extras::File file;
    if (!extras::Decode(data, size, file)) return 0;
    const std::vector<std::uint8_t> bytes = extras::Encode(file);
    extras::File again;
    if (!extras::Decode(bytes.data(), bytes.size(), again) || again.records.size() != file.records.size() ||
        again.historySize != file.historySize || again.historyCrc != file.historyCrc)
        std::abort();
    for (const auto& record : file.records) {
        if (again.records[record.first].captured != record.second.captured) std::abort();
    }
    return 0;
}
