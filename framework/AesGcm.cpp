#include "framework/AesGcm.h"

#include <bcrypt.h>

#include <algorithm>
#include <climits>

namespace {

bool FitsUlong(std::size_t n)
{
    return static_cast<ULONG>(n) == n;
}

// BCrypt takes non-const pointers even for what it only reads.
PUCHAR Bytes(const void* p)
{
    return static_cast<PUCHAR>(const_cast<void*>(p));
}

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO AuthInfo(const void* aad, std::size_t aadLen, const std::uint8_t* nonce,
                                               const std::uint8_t* tag)
{
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = Bytes(nonce);
    info.cbNonce = static_cast<ULONG>(AesGcmKey::kNonceSize);
    info.pbAuthData = aadLen ? Bytes(aad) : nullptr;
    info.cbAuthData = static_cast<ULONG>(aadLen);
    info.pbTag = Bytes(tag);
    info.cbTag = static_cast<ULONG>(AesGcmKey::kTagSize);
    return info;
}

}  // namespace

bool RandomBytes(void* out, std::size_t len)
{
    auto* at = static_cast<PUCHAR>(out);
    while (len > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<std::uint64_t>(len, ULONG_MAX));
        if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, at, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            return false;
        at += chunk;
        len -= chunk;
    }
    return true;
}

void BCryptAlgorithmTraits::Close(void* h)
{
    BCryptCloseAlgorithmProvider(h, 0);
}

void BCryptKeyTraits::Close(void* h)
{
    BCryptDestroyKey(h);
}

AesGcmKey::AesGcmKey(UniqueBCryptAlgorithm algorithm, UniqueBCryptKey key)
    : m_algorithm(std::move(algorithm)), m_key(std::move(key))
{
}

std::unique_ptr<AesGcmKey> AesGcmKey::Create(const void* key, std::size_t keyLen)
{
    if (!key || keyLen != kKeySize)
        return nullptr;
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)))
        return nullptr;
    UniqueBCryptAlgorithm algorithm(rawAlgorithm);
    if (!BCRYPT_SUCCESS(BCryptSetProperty(rawAlgorithm, BCRYPT_CHAINING_MODE, Bytes(BCRYPT_CHAIN_MODE_GCM),
                                          sizeof(BCRYPT_CHAIN_MODE_GCM), 0)))
        return nullptr;
    // No key object buffer: the system manages it (Windows 7 and later).
    BCRYPT_KEY_HANDLE rawKey = nullptr;
    if (!BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(rawAlgorithm, &rawKey, nullptr, 0, Bytes(key),
                                                   static_cast<ULONG>(keyLen), 0)))
        return nullptr;
    UniqueBCryptKey owned(rawKey);
    return std::unique_ptr<AesGcmKey>(new AesGcmKey(std::move(algorithm), std::move(owned)));
}

std::vector<std::uint8_t> AesGcmKey::Seal(const void* aad, std::size_t aadLen, const void* plain,
                                          std::size_t plainLen) const
{
    if (!FitsUlong(aadLen) || static_cast<std::uint64_t>(plainLen) > ULONG_MAX - kOverhead)
        return {};
    std::vector<std::uint8_t> sealed(kOverhead + plainLen);
    std::uint8_t* nonce = sealed.data();
    std::uint8_t* cipher = nonce + kNonceSize;
    if (!RandomBytes(nonce, kNonceSize))
        return {};
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = AuthInfo(aad, aadLen, nonce, cipher + plainLen);
    // BCrypt reads a null buffer as a size query, so an empty text still gets a real pointer.
    std::uint8_t none = 0;
    ULONG written = 0;
    const NTSTATUS status = BCryptEncrypt(m_key.Get(), plainLen ? Bytes(plain) : &none,
                                          static_cast<ULONG>(plainLen), &info, nullptr, 0, cipher,
                                          static_cast<ULONG>(plainLen), &written, 0);
    if (!BCRYPT_SUCCESS(status) || written != plainLen)
        return {};
    return sealed;
}

bool AesGcmKey::Open(const void* aad, std::size_t aadLen, const void* sealed, std::size_t sealedLen,
                     std::vector<std::uint8_t>& plain) const
{
    plain.clear();
    if (!sealed || sealedLen < kOverhead || !FitsUlong(sealedLen) || !FitsUlong(aadLen))
        return false;
    const auto* nonce = static_cast<const std::uint8_t*>(sealed);
    const std::uint8_t* cipher = nonce + kNonceSize;
    const std::size_t plainLen = sealedLen - kOverhead;
    plain.resize(plainLen);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = AuthInfo(aad, aadLen, nonce, cipher + plainLen);
    std::uint8_t none = 0;
    ULONG written = 0;
    const NTSTATUS status = BCryptDecrypt(m_key.Get(), Bytes(cipher), static_cast<ULONG>(plainLen), &info,
                                          nullptr, 0, plainLen ? plain.data() : &none,
                                          static_cast<ULONG>(plainLen), &written, 0);
    if (BCRYPT_SUCCESS(status) && written == plainLen)
        return true;
    // The text may have been written before the tag was checked: leave none of it.
    if (!plain.empty())
        SecureZeroMemory(plain.data(), plain.size());
    plain.clear();
    return false;
}
