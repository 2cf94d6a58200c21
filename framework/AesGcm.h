#pragma once
// AES-256 in GCM mode over the system's CNG (BCrypt): sealed records that a
// reader opens only when they are whole and unchanged.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Handles.h"

// Fills `out` from the system's preferred random generator; false when it fails.
bool RandomBytes(void* out, std::size_t len);

// BCRYPT_ALG_HANDLE and BCRYPT_KEY_HANDLE are both void*; the traits tell them apart.
struct BCryptAlgorithmTraits {
    static void* Invalid() { return nullptr; }
    static bool IsValid(void* h) { return h != nullptr; }
    static void Close(void* h);
};
struct BCryptKeyTraits {
    static void* Invalid() { return nullptr; }
    static bool IsValid(void* h) { return h != nullptr; }
    static void Close(void* h);
};
using UniqueBCryptAlgorithm = UniqueHandle<void*, BCryptAlgorithmTraits>;
using UniqueBCryptKey = UniqueHandle<void*, BCryptKeyTraits>;

// One AES-256-GCM key. The algorithm and key handles stay open for the
// object's life, so each Seal or Open costs only the cipher itself.
// Seal and Open keep no state between calls.
class AesGcmKey {
public:
    static constexpr std::size_t kKeySize = 32;
    static constexpr std::size_t kNonceSize = 12;
    static constexpr std::size_t kTagSize = 16;
    static constexpr std::size_t kOverhead = kNonceSize + kTagSize;

    // nullptr when `keyLen` is not kKeySize or the system refuses the key.
    // The caller keeps (and wipes) its copy of the key bytes.
    static std::unique_ptr<AesGcmKey> Create(const void* key, std::size_t keyLen);

    AesGcmKey(const AesGcmKey&) = delete;
    AesGcmKey& operator=(const AesGcmKey&) = delete;

    // nonce (random) | ciphertext | tag, binding `aad` as associated data.
    // Empty on failure: a sealed record is never shorter than kOverhead.
    std::vector<std::uint8_t> Seal(const void* aad, std::size_t aadLen, const void* plain,
                                   std::size_t plainLen) const;
    // False when `sealed` is too short, was changed, or was sealed with another
    // key or other associated data; `plain` is then empty.
    bool Open(const void* aad, std::size_t aadLen, const void* sealed, std::size_t sealedLen,
              std::vector<std::uint8_t>& plain) const;

private:
    AesGcmKey(UniqueBCryptAlgorithm algorithm, UniqueBCryptKey key);

    UniqueBCryptAlgorithm m_algorithm;
    UniqueBCryptKey m_key;
};
