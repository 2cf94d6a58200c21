#pragma once
// The extras file "data.extras": what the history file's records cannot hold
// (an entry's capture time and kept formats), one record per history record that has
// any, keyed by its position in the history file. Plain C++ over bytes, so
// that it builds and is tested and fuzzed natively.
//
// Layout: "QXTR", a 32-bit version, the size (64-bit) and CRC-32 of the
// history file it belongs to; then records. A record is the marker "QXRC",
// a 32-bit payload length, the CRC-32 of the payload and the payload: the
// 32-bit position, the 64-bit capture time (a FILETIME, UTC), then, for an
// entry that keeps formats beside its text, its formats (see EncodeFormats)
// and the CRC-32 of the payload without the formats' bytes (so that a start
// can check what the formats are without reading them: see ExtrasIndex),
// then whatever a later version adds, which this one skips. All integers are
// little-endian.
// A damaged record costs its own entry its extras: reading goes on at the
// next marker.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "history/store/formats/Crc32.h"

namespace extras {

constexpr std::uint32_t kVersion = 1;
constexpr std::uint8_t kMagic[4] = {'Q', 'X', 'T', 'R'};
constexpr std::uint8_t kMarker[4] = {'Q', 'X', 'R', 'C'};
constexpr std::size_t kHeaderSize = 4 + 4 + 8 + 4;
// The marker, the payload's length and its CRC-32.
constexpr std::size_t kRecordHead = 4 + 4 + 4;
// The position and the capture time.
constexpr std::size_t kLeastPayload = 4 + 8;

// A clipboard format kept beside an entry's text: registered ones by name,
// standard ones by number (the name empty).
struct Format {
    std::u16string name;
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;
};

struct Formats {
    std::vector<Format> kept;
    std::vector<Format> leftOut;  // left out for their size: names only
    std::u16string label;         // the list's label for copied files
    bool Empty() const { return kept.empty() && leftOut.empty() && label.empty(); }
};

struct Record {
    std::uint64_t captured = 0;
    Formats formats;
};

struct File {
    std::uint64_t historySize = 0;  // the history file these records belong to
    std::uint32_t historyCrc = 0;
    std::map<std::uint32_t, Record> records;  // by position in the history file
};

// Little-endian integers of `count` bytes, as every field of the file is.
std::uint64_t Get(const std::uint8_t* bytes, int count);
void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int count);

// Where a record's payload lies in its file, and the CRC-32 that it has.
struct Span {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t crc = 0;
};

std::vector<std::uint8_t> Encode(const File& file);
// The file a record at a time, for one who writes it as it goes.
std::vector<std::uint8_t> EncodeHeader(std::uint64_t historySize, std::uint32_t historyCrc);
// Appends one record to `out`; its span is where its payload lands in `out`.
Span EncodeRecord(std::uint32_t position, const Record& record, std::vector<std::uint8_t>& out);
// The formats of a record's payload (once its CRC-32 is checked).
bool DecodePayloadFormats(const std::uint8_t* payload, std::size_t size, Formats& formats);
// The formats as a record and a journal insert carry them: a 32-bit count of
// kept formats, each its name (16-bit length in units, UTF-16), number,
// 32-bit length, CRC-32 and bytes; a 32-bit count of formats left out, each
// its name and number; the label (16-bit length, UTF-16).
// With `outline`, also sums into it the bytes of `out` from `from` on, the
// formats' bytes left out.
void EncodeFormats(const Formats& formats, std::vector<std::uint8_t>& out, Crc32* outline = nullptr,
                   std::size_t from = 0);
// A kept format whose bytes lie elsewhere, encoded without a copy of them first.
struct FormatView {
    std::u16string name;
    std::uint32_t number = 0;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
};
void EncodeFormatViews(const std::vector<FormatView>& kept, const std::vector<Format>& leftOut,
                       const std::u16string& label, std::vector<std::uint8_t>& out, Crc32* outline = nullptr,
                       std::size_t from = 0);
// False when the bytes are not whole formats (a format whose CRC fails among them).
// Read by the same parser as the index reads a file with (ExtrasIndex.cpp).
bool DecodeFormats(const std::uint8_t* bytes, std::size_t size, Formats& formats);
// False when the bytes are not an extras file; damaged records are left out.
bool Decode(const std::uint8_t* bytes, std::size_t size, File& file);

}  // namespace extras
