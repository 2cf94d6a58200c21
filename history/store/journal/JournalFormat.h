#pragma once
// The journal "data.journal": the changes made to the history since its last
// full save, appended as they happen, so that a crash or a kill loses nothing.
// Plain C++ over bytes, so that it builds and is tested and fuzzed natively.
//
// Layout: "QJNL", a 32-bit version, then frames. A frame is a 32-bit payload
// length, the CRC-32 of the payload and the payload; all integers are
// little-endian. The first frame describes the full save the changes apply
// to; every later frame is one change. A torn or damaged frame ends the
// journal: it and anything after it are dropped, everything before it stays.
// Version 3 (this one's) describes each record of the history file by its
// size and CRC-32, so that a damaged record costs only its own entry; version
// 1 describes the file whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>


namespace journal {

constexpr std::uint8_t kJournalMagic[4] = {'Q', 'J', 'N', 'L'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kCheckedVersion = 3;
// A sealed journal: the same layout, each payload sealed with the folder's key
// to its frame's offset (the start frame's is 8): 2 for version 1's, 4 for 3's.
constexpr std::uint32_t kSealedVersion = 2;
constexpr std::uint32_t kCheckedSealedVersion = 4;
constexpr std::size_t kStartBytes = 8;   // magic and version
constexpr std::size_t kFrameHeadBytes = 8;  // length and CRC-32

// One record of the history file: its size and CRC-32 as written.
struct RecordCheck {
    std::uint32_t size = 0;
    std::uint32_t crc = 0;
    bool operator==(const RecordCheck& other) const { return size == other.size && crc == other.crc; }
};

// The full save the changes apply to: data.data as it was written, and the
// ids of its entries. The journal is replayed only over that file: the same
// bytes, or the same records but for one that a damaged byte changed.
struct Header {
    std::uint64_t historySize = 0;  // bytes of data.data; 0 when there is none
    std::uint32_t historyCrc = 0;   // CRC-32 of data.data (version 1; since, 0: the records describe it)
    std::int32_t entryCount = 0;    // its records, as imgOption.data counts them
    std::vector<std::uint64_t> recordIds;  // the entry id of each record, in file order
    std::vector<RecordCheck> records;      // each record's size and CRC (none from a version 1 journal)
};

enum class Op : std::uint8_t {
    InsertText = 1,     // ids[0], text: a new entry directly below the top zone
    InsertPicture = 2,  // ids[0], text (the label), picture (a BMP file): the same for a picture
    Remove = 3,         // ids
    SetTop = 4,         // ids, in the order they joined the top zone
    MoveBelowTop = 5,   // ids[0]
    Clear = 6,
    // As InsertText and MoveBelowTop, with the formats the entry keeps beside its text (extras::EncodeFormats).
    InsertTextWithFormats = 7,
    MoveBelowTopWithFormats = 8,
};

struct Record {
    Op op = Op::Clear;
    std::uint64_t time = 0;  // UTC, in 100 ns steps since 1601 (a FILETIME)
    std::vector<std::uint64_t> ids;
    std::u16string text;
    std::vector<std::uint8_t> picture;
    std::vector<std::uint8_t> formats;
};

// The start frame's payload (with record checks in the checked versions), and one change's.
// False when the bytes are not whole.
bool DecodeStart(const std::vector<std::uint8_t>& payload, bool checked, Header& header);
bool DecodeRecord(const std::vector<std::uint8_t>& payload, Record& record);

// The file's start: magic, version and the header frame.
std::vector<std::uint8_t> EncodeStart(const Header& header);
// One change as a frame.
std::vector<std::uint8_t> EncodeRecord(const Record& record);
// A frame around any payload (a sealed one).
std::vector<std::uint8_t> EncodeFrame(const std::uint8_t* payload, std::size_t size);
// Since version 3 each frame's CRC-32 runs over the CRC of the frame before it
// (0 before the start) and its payload: the frames make a chain. A damaged
// frame is stepped over (the next is the first place whose frame chains to
// the bytes since), and a frame taken from another journal, or planted in
// copied content, never fits the chain; a sealed frame is sealed to it too.
std::uint32_t ChainedCrc(std::uint32_t chain, const std::uint8_t* payload, std::size_t size);
// Stored bytes (the journal's start, or one frame) with their CRC made the chained one.
std::vector<std::uint8_t> Chained(std::vector<std::uint8_t> stored, bool start, std::uint32_t chain);
// The chain after a frame as stored: its CRC field.
std::uint32_t ChainAfter(const std::vector<std::uint8_t>& stored, bool start);
// A text insert straight from the entry's text, without a copy into a Record.
// With `formats` (not empty), an InsertTextWithFormats.
std::vector<std::uint8_t> EncodeTextInsert(std::uint64_t time, std::uint64_t id, std::u16string_view text,
                                           const std::vector<std::uint8_t>& formats = {});

// A save in progress ("save.intent"): the temporary files to move over their
// targets, then the files the set leaves stale (pictures it no longer has,
// the other form's files), written whole before the first move, so an
// interrupted save is finished at the next start, stale files removed too.
// Magic "QINT", version 2 (1: moves alone), then one frame.
struct Intent {
    std::vector<std::pair<std::u16string, std::u16string>> moves;  // temporary name, target name
    std::vector<std::u16string> deletes;
};

std::vector<std::uint8_t> EncodeIntent(const Intent& intent);
// False when the bytes are not a whole, undamaged intent.
bool DecodeIntent(const std::vector<std::uint8_t>& bytes, Intent& intent);
// Whether every move is one that a save of ours makes, inside the data folder:
// from "<target>.<digits>-<digits>.qtmp" to that target, a file of the set
// (the history, settings, journal, extras and key files, plain or sealed, and
// the pictures "<digits>.dat" or "<digits>.qdat"), and every file it removes
// is a file of the set.
bool IntentNamesAreOurs(const Intent& intent);

}  // namespace journal
