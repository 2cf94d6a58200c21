#pragma once
// What PCs that share a history tell each other: operations on entries, each
// stamped with a hybrid logical clock and the PC that made it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "history/model/EntryFormats.h"

// A random 128-bit name: of an entry across every PC, or of a PC.
struct ShareId {
    std::array<std::uint8_t, 16> bytes = {};

    static ShareId Random();
    bool IsZero() const;
    // 32 lowercase hex digits, the name of a PC's folder.
    std::wstring Hex() const;
    static bool FromHex(const std::wstring& hex, ShareId& id);

    bool operator==(const ShareId& other) const { return bytes == other.bytes; }
    bool operator!=(const ShareId& other) const { return bytes != other.bytes; }
    bool operator<(const ShareId& other) const { return bytes < other.bytes; }
};

// Ids are random: their two halves mixed make a good hash.
struct ShareIdHash {
    std::size_t operator()(const ShareId& id) const
    {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        for (int i = 0; i < 8; ++i) {
            low |= static_cast<std::uint64_t>(id.bytes[static_cast<size_t>(i)]) << (8 * i);
            high |= static_cast<std::uint64_t>(id.bytes[static_cast<size_t>(i + 8)]) << (8 * i);
        }
        return static_cast<std::size_t>(low ^ (high * 0x9E3779B97F4A7C15ull));
    }
};

// When a change was made: wall-clock milliseconds (UTC, since 1601) kept from
// going back by a counter, then the PC, so that no two changes tie.
struct Stamp {
    std::uint64_t time = 0;
    std::uint32_t count = 0;
    ShareId pc;

    bool IsZero() const { return time == 0 && count == 0 && pc.IsZero(); }
    bool operator<(const Stamp& other) const;
    bool operator==(const Stamp& other) const
    {
        return time == other.time && count == other.count && pc == other.pc;
    }
    bool operator!=(const Stamp& other) const { return !(*this == other); }
};

// A picture as PCs send it: its label and a BMP file's bytes (empty where
// only this PC's history holds the picture and it was not encoded yet).
struct SharedPicture {
    std::wstring label;
    std::vector<std::uint8_t> bmp;
};

enum class OpKind : std::uint8_t {
    Copy = 1,         // the entry was copied (first or again): its content and capture time
    Remove = 2,       // a tombstone: the entry never comes back
    Pin = 3,          // Set top: the entry goes to the bottom of the top zone
    ClearBefore = 4,  // Clear All: every copy stamped before it is gone
};

struct ShareOp {
    OpKind kind = OpKind::Copy;
    Stamp stamp;
    ShareId entry;  // zero for ClearBefore
    // Copy only: the content as this copy had it.
    std::uint64_t captured = 0;  // a FILETIME
    std::shared_ptr<const std::wstring> text = nullptr;  // null for a picture
    // Kept beside the text (names; the bytes on its shelf, read when sent); null: none.
    std::shared_ptr<const EntryFormats> formats = nullptr;
    std::shared_ptr<const SharedPicture> picture = nullptr;
};
