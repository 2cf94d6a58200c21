#include "framework/Sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include "framework/AesGcm.h"

namespace {

PUCHAR Bytes(const void* p)
{
    return static_cast<PUCHAR>(const_cast<void*>(p));
}

// One provider per kind for the program's life: opening one costs more than hashing a text.
BCRYPT_ALG_HANDLE Provider(bool hmac)
{
    static const UniqueBCryptAlgorithm plain = [] {
        BCRYPT_ALG_HANDLE h = nullptr;
        return UniqueBCryptAlgorithm(
            BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&h, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ? h : nullptr);
    }();
    static const UniqueBCryptAlgorithm keyed = [] {
        BCRYPT_ALG_HANDLE h = nullptr;
        return UniqueBCryptAlgorithm(BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
                                         &h, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG))
                                         ? h
                                         : nullptr);
    }();
    return hmac ? keyed.Get() : plain.Get();
}

}  // namespace

bool Sha256(const void* data, std::size_t len, Sha256Digest& digest)
{
    digest.fill(0);
    BCRYPT_ALG_HANDLE provider = Provider(false);
    if (!provider || static_cast<ULONG>(len) != len)
        return false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0)))
        return false;
    const bool done = BCRYPT_SUCCESS(BCryptHashData(hash, Bytes(data), static_cast<ULONG>(len), 0)) &&
                      BCRYPT_SUCCESS(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash);
    if (!done)
        digest.fill(0);
    return done;
}

bool Pbkdf2Sha256(const std::vector<std::uint8_t>& passphrase, const std::vector<std::uint8_t>& salt,
                  std::uint64_t rounds, std::size_t keyLen, std::vector<std::uint8_t>& key)
{
    key.assign(keyLen, 0);
    BCRYPT_ALG_HANDLE provider = Provider(true);
    if (!provider || rounds == 0 ||
        !BCRYPT_SUCCESS(BCryptDeriveKeyPBKDF2(provider, Bytes(passphrase.data()),
                                              static_cast<ULONG>(passphrase.size()), Bytes(salt.data()),
                                              static_cast<ULONG>(salt.size()), rounds, key.data(),
                                              static_cast<ULONG>(key.size()), 0))) {
        key.clear();
        return false;
    }
    return true;
}
