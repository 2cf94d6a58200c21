#pragma once
// The extras file read at start without its formats' bytes: each record's
// capture time, what its formats are, and where its payload lies, so that the
// bytes are read only when an entry is pasted. A record's outline is checked
// by its own CRC-32 (the payload's formats' bytes left out); a record without
// one (an earlier version's), or whose outline fails, is read whole and
// checked as Decode checks it. Plain C++ over a byte source, so that it is
// tested and fuzzed natively.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

#include "history/store/extras/ExtrasFormat.h"

namespace extras {

// The file's bytes, read where asked.
class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t Size() const = 0;
    // False when the bytes cannot be read.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
};

struct IndexedRecord {
    std::uint64_t captured = 0;
    // The formats, the bytes only of those `keepBytes` names.
    Formats outline;
    Span span;
};

struct Index {
    std::uint64_t historySize = 0;
    std::uint32_t historyCrc = 0;
    std::map<std::uint32_t, IndexedRecord> records;  // by position in the history file
};

using KeepBytes = std::function<bool(const Format& format)>;
// A plain record's formats read from its payload where it lies, each format's
// bytes read once, straight into its own block; false when the payload does
// not match its CRC-32.
bool ReadRecordFormats(const Source& source, const Span& span, Formats& formats);
// False when the source is not an extras file; damaged records are left out.
bool IndexRecords(const Source& source, const KeepBytes& keepBytes, Index& index);

}  // namespace extras
