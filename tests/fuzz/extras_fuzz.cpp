// Fuzz target: the extras readers (the map of this version, the records of the
// first) and the start's index over arbitrary bytes. What a reader reads must
// survive a write and a second read unchanged, and the index of what was
// written must agree with it.
#include <cstdlib>
#include <cstring>

#include "history/store/extras/ExtrasFormat.h"
#include "history/store/extras/ExtrasIndex.h"
#include "history/store/extras/ExtrasMap.h"

namespace {

class Bytes : public extras::Source {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override
    {
        if (offset > m_size || m_size - offset < count) return false;
        std::memcpy(out, m_data + offset, count);
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

bool NoBytes(const extras::Format&) { return false; }

// The map's whole slots survive a write and a read.
void CheckMap(const std::uint8_t* data, std::size_t size)
{
    extras::Map map;
    if (!extras::DecodeMap(data, size, extras::PlainSeals(), map))
        return;
    extras::Map whole = map;
    whole.entries.clear();
    for (std::size_t i = 0; i < map.entries.size() && map.whole[i]; ++i)
        whole.entries.push_back(map.entries[i]);
    const std::vector<std::uint8_t> bytes = extras::EncodeMap(whole, extras::PlainSeals());
    extras::Map again;
    if (!extras::DecodeMap(bytes.data(), bytes.size(), extras::PlainSeals(), again) ||
        again.entries.size() != whole.entries.size())
        std::abort();
    for (std::size_t i = 0; i < whole.entries.size(); ++i) {
        const extras::MapEntry& a = whole.entries[i];
        const extras::MapEntry& b = again.entries[i];
        if (!again.whole[i] || a.id != b.id || a.captured != b.captured || a.recordCrc != b.recordCrc ||
            a.hasOutline != b.hasOutline || a.outline.kept.size() != b.outline.kept.size() || a.outline.label != b.outline.label)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckMap(data, size);
    extras::Index index;
    extras::IndexRecords(Bytes(data, size), NoBytes, index);
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
    if (!extras::IndexRecords(Bytes(bytes.data(), bytes.size()), NoBytes, index) ||
        index.records.size() != file.records.size())
        std::abort();
    for (const auto& record : index.records) {
        const extras::Record& read = file.records[record.first];
        const extras::Span& span = record.second.span;
        if (record.second.captured != read.captured || record.second.outline.kept.size() != read.formats.kept.size() ||
            record.second.outline.label != read.formats.label || span.offset + span.length > bytes.size())
            std::abort();
    }
    return 0;
}
