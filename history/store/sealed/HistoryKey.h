#pragma once
// The data folder's key: one random AES-256 key, wrapped for the current user
// in the key file, that seals and opens the folder's encrypted records.
//
// Key file: "QKEY", a 32-bit version (1), a 32-bit length and the wrapped key,
// a 32-bit length and a check record (a fixed text sealed with the key);
// integers little-endian. The check decides whether the file opens: a wrapped
// key that unwraps to wrong bytes fails it.
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
};

class HistoryKey {
public:
    // A fresh random key; nullptr when the random source or the system's wrapping fails.
    static std::unique_ptr<HistoryKey> Create();

    enum class OpenResult { Opened, Unopenable };
    // The key of a key file's bytes. Unopenable when the bytes are not a whole
    // key file, the key cannot be unwrapped, or it fails its check; `key` is
    // then null.
    static OpenResult FromFileBytes(const std::vector<std::uint8_t>& bytes, std::unique_ptr<HistoryKey>& key);

    HistoryKey(const HistoryKey&) = delete;
    HistoryKey& operator=(const HistoryKey&) = delete;

    // The key file's bytes, as made or read.
    std::vector<std::uint8_t> FileBytes() const { return m_fileBytes; }

    // Sealed to `kind` and `id`: opened as another kind or id, it is refused.
    // Empty on failure.
    std::vector<std::uint8_t> Seal(SealKind kind, std::uint64_t id, const void* plain, std::size_t len) const;
    // False when the record is damaged, truncated, or sealed to another key, kind or id.
    bool Open(SealKind kind, std::uint64_t id, const void* sealed, std::size_t len,
              std::vector<std::uint8_t>& plain) const;

private:
    HistoryKey(std::unique_ptr<AesGcmKey> cipher, std::vector<std::uint8_t> fileBytes);

    std::unique_ptr<AesGcmKey> m_cipher;
    std::vector<std::uint8_t> m_fileBytes;
};
