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
        const extras::Record& other = again.records[record.first];
        if (other.captured != record.second.captured || other.formats.kept.size() != record.second.formats.kept.size() ||
            other.formats.leftOut.size() != record.second.formats.leftOut.size() ||
            other.formats.label != record.second.formats.label)
            std::abort();
        for (size_t i = 0; i < other.formats.kept.size(); ++i) {
            if (other.formats.kept[i].bytes != record.second.formats.kept[i].bytes ||
                other.formats.kept[i].name != record.second.formats.kept[i].name)
                std::abort();
        }
    }
    return 0;
}
