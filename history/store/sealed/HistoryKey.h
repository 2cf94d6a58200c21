#pragma once
// The data folder's key: one random AES-256 key, wrapped for the current user
// in the key file, that seals and opens the folder's encrypted records.
//
// Key file: "QKEY", a 32-bit version (2), a 32-bit length and the wrapped key,
// a 32-bit length and a check record: a fixed text and the number of the save
// set the key file belongs to (64-bit), sealed with the key; integers
// little-endian. The check decides whether the file opens (a wrapped key that
// unwraps to wrong bytes fails it) and keeps the set number under the key.
// Version 1, written before sets were counted, has the text alone.
//
// A record is sealed to what it is (its kind), where it is (an id: a position,
// an offset) and, since version 2, the save set it belongs to: opened as
// anything else it is refused.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/AesGcm.h"

// What a sealed record holds; with its id, part of what it is sealed to.
enum class SealKind : std::uint32_t {
    Check = 0,
    History = 1,
    Extras = 2,
    Picture = 3,
    JournalStart = 4,
    JournalFrame = 5,
    ExtrasRecord = 6,   // a sealed extras record's outline
    ExtrasFormats = 7,  // its formats' bytes
    HistoryRecord = 8,  // one record of the sealed history file
    ExtrasMap = 9,      // the sealed extras' entry for one history record
};

class HistoryKey {
public:
    // A fresh random key; nullptr when the random source or the system's wrapping fails.
    static std::unique_ptr<HistoryKey> Create();

    enum class OpenResult { Opened, Unopenable };
    // The key of a key file's bytes, and the set the file belongs to (none for
    // a version 1 file). Unopenable when the bytes are not a whole key file,
    // the key cannot be unwrapped, or it fails its check; `key` is then null.
    static OpenResult FromFileBytes(const std::vector<std::uint8_t>& bytes, std::unique_ptr<HistoryKey>& key,
                                    std::uint64_t* set = nullptr, bool* counted = nullptr);

    HistoryKey(const HistoryKey&) = delete;
    HistoryKey& operator=(const HistoryKey&) = delete;

    // The key file of save set `set`; empty when the key cannot seal.
    std::vector<std::uint8_t> FileBytes(std::uint64_t set) const;

    // Sealed to `kind`, `id` and save set `set`: opened as anything else, it
    // is refused. Empty on failure.
    std::vector<std::uint8_t> Seal(SealKind kind, std::uint64_t id, std::uint64_t set, const void* plain,
                                   std::size_t len) const;
    // False when the record is damaged, truncated, or sealed to another key, kind, id or set.
    bool Open(SealKind kind, std::uint64_t id, std::uint64_t set, const void* sealed, std::size_t len,
              std::vector<std::uint8_t>& plain) const;
    // Records sealed before sets were counted: bound to their kind and id alone.
    std::vector<std::uint8_t> Seal(SealKind kind, std::uint64_t id, const void* plain, std::size_t len) const;
    bool Open(SealKind kind, std::uint64_t id, const void* sealed, std::size_t len,
              std::vector<std::uint8_t>& plain) const;

private:
    HistoryKey(std::unique_ptr<AesGcmKey> cipher, std::vector<std::uint8_t> wrapped);

    std::unique_ptr<AesGcmKey> m_cipher;
    std::vector<std::uint8_t> m_wrapped;
};
