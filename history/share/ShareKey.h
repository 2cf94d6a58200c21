#pragma once
// The key that seals everything a PC writes into the shared folder. It is
// derived from the user's passphrase, so that it can travel to every PC the
// user owns, and kept on each PC wrapped for the user (DPAPI).
//
// The folder's "share.key" holds what the derivation needs and a check, never
// the key: "QSHK", a 32-bit version (1), the 32-bit number of rounds, the
// 16-byte salt, a 32-bit length and a check record (a fixed text sealed with
// the key). Integers little-endian.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/AesGcm.h"

class ShareKey {
public:
    static constexpr std::uint32_t kRounds = 600000;
    static constexpr std::size_t kSaltSize = 16;

    // A new share: a random salt and the key derived from the passphrase, with
    // the bytes of the folder's key file. nullptr when the system refuses.
    static std::unique_ptr<ShareKey> Create(const std::wstring& passphrase, std::vector<std::uint8_t>& keyFile);

    enum class JoinResult { Opened, WrongPassphrase, NotAKeyFile };
    // The key of an existing share, from its key file and the passphrase typed on this PC.
    static JoinResult Join(const std::wstring& passphrase, const std::vector<std::uint8_t>& keyFile,
                           std::unique_ptr<ShareKey>& key);

    // A key from its raw bytes (tests, and the key unwrapped on this PC).
    static std::unique_ptr<ShareKey> FromRaw(const std::vector<std::uint8_t>& raw);
    // The key as this PC keeps it: wrapped for the current user.
    bool Wrap(std::vector<std::uint8_t>& blob) const;
    static std::unique_ptr<ShareKey> Unwrap(const std::vector<std::uint8_t>& blob);

    ~ShareKey();
    ShareKey(const ShareKey&) = delete;
    ShareKey& operator=(const ShareKey&) = delete;

    // Whether this is the key the folder's key file was made with.
    bool Opens(const std::vector<std::uint8_t>& keyFile) const;
    // A short hash of the key in groups of four hex digits ("1a2b 3c4d 5e6f 7a8b"):
    // two PCs that show the same share one key.
    std::wstring Fingerprint() const;

    std::vector<std::uint8_t> Seal(const std::vector<std::uint8_t>& aad, const std::vector<std::uint8_t>& plain) const;
    bool Open(const std::vector<std::uint8_t>& aad, const std::uint8_t* sealed, std::size_t len,
              std::vector<std::uint8_t>& plain) const;

private:
    ShareKey(std::unique_ptr<AesGcmKey> cipher, std::vector<std::uint8_t> raw);

    std::unique_ptr<AesGcmKey> m_cipher;
    std::vector<std::uint8_t> m_raw;
};
