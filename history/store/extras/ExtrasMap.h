#pragma once
// The extras of a history file, version 2: "data.extras" maps each record of
// the history file to what the record cannot hold (the entry's id, capture
// time and formats' outline), and each entry's kept formats lie in a file of
// their own named by its id ("<16 hex digits>.fmt"), written once and removed
// with the entry: a removal costs what was removed, however many formats the
// history keeps. Plain C++ over bytes, so that it builds and is tested and
// fuzzed natively.
//
// data.extras: "QXTR", a 32-bit version (2), the size (64-bit) and CRC-32 of
// the history file (0: its records describe it), a 32-bit count and the CRC-32
// of these 24 bytes; then one fixed slot per history record, in order; then
// the outlines. A slot: its CRC-32, then the record's position,
// size and CRC-32 in the history file, the entry's id, capture time (a
// FILETIME, UTC), the set its formats file was sealed in (0: plain), and where
// its outline lies (offset and length; 0: none). An outline: its CRC-32, then
// the kept formats (name: 16-bit length in units and UTF-16; number; size;
// CRC-32; the bytes of those kept in the outline, a file list: 32-bit length
// and bytes), those left out (name, number) and the label. Integers
// little-endian. A damaged byte costs one slot or one outline: slots are found
// by their place, never by a length that a damaged byte could change (a count
// whose header does not check out gives way to where the outlines begin).
//
// A formats file: "QXFM", a 32-bit version (1), the entry's id (64-bit), then
// the kept formats' bytes one after the other, as the outline sizes them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/store/extras/ExtrasFormat.h"

namespace extras {

constexpr std::uint32_t kMapVersion = 2;
constexpr std::size_t kMapHeaderSize = 4 + 4 + 8 + 4 + 4 + 4;
// A slot's fields after its seal: position, record size and CRC, id, time, set, outline offset and length.
constexpr std::size_t kSlotFields = 4 + 4 + 4 + 8 + 8 + 8 + 4 + 4;

struct OutlineFormat {
    std::u16string name;
    std::uint32_t number = 0;
    std::uint32_t size = 0;
    std::uint32_t crc = 0;
    std::vector<std::uint8_t> bytes;  // only for those kept in the outline
};

struct Outline {
    std::vector<OutlineFormat> kept;
    std::vector<Format> leftOut;
    std::u16string label;
};

struct MapEntry {
    std::uint32_t recordSize = 0;  // the history file's record
    std::uint32_t recordCrc = 0;
    std::uint64_t id = 0;
    std::uint64_t captured = 0;
    std::uint64_t formatsSet = 0;
    bool hasOutline = false;
    Outline outline;
};

struct Map {
    std::uint64_t historySize = 0;
    std::uint32_t historyCrc = 0;
    std::vector<MapEntry> entries;  // by position
    std::vector<bool> whole;        // false for a slot a damaged byte cost
};

// How a slot's fields and an outline are kept in one form and read back: the
// plain form adds and checks a CRC-32; the sealed form seals. `Open` is false
// for damaged bytes.
struct Seals {
    std::uint32_t magic;       // "QXTR" or "QXTS"
    std::size_t slotSize;      // a sealed slot's size
    std::function<bool(std::uint32_t position, std::vector<std::uint8_t>& bytes)> sealSlot;
    std::function<bool(std::uint32_t position, std::vector<std::uint8_t>& bytes)> openSlot;
    std::function<bool(std::uint32_t position, std::vector<std::uint8_t>& bytes)> sealOutline;
    std::function<bool(std::uint32_t position, std::vector<std::uint8_t>& bytes)> openOutline;
};
const Seals& PlainSeals();

// Empty when a seal fails.
std::vector<std::uint8_t> EncodeMap(const Map& map, const Seals& seals);
// False when the bytes are not a map of this version and form.
bool DecodeMap(const std::uint8_t* bytes, std::size_t size, const Seals& seals, Map& map);

void EncodeOutline(const Outline& outline, std::vector<std::uint8_t>& out);
bool DecodeOutline(const std::uint8_t* bytes, std::size_t size, Outline& outline);

// The plain formats file's bytes: its head, then each kept format's bytes.
std::vector<std::uint8_t> FormatsFileHead(std::uint64_t id);
// The kept formats of a plain formats file, each checked by the outline's CRC;
// false when the file is not the entry's or a format does not check out.
bool DecodeFormatsFile(const std::uint8_t* bytes, std::size_t size, std::uint64_t id, const Outline& outline,
                       std::vector<Format>& kept);
// The kept formats from their bytes one after the other (as a sealed file opens to).
bool SplitFormats(const std::uint8_t* bytes, std::size_t size, const Outline& outline, std::vector<Format>& kept);

// "<16 hex digits>.fmt", "....qfmt" sealed.
std::wstring FormatsFileName(std::uint64_t id, bool sealed);
// The id a formats file's name stands for; false when the name is not one.
bool IdOfFormatsFile(const std::wstring& name, std::uint64_t& id);

}  // namespace extras
