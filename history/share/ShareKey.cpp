#include "history/share/ShareKey.h"

#include <windows.h>

#include <algorithm>

#include "framework/Sha256.h"
#include "framework/UserProtect.h"
#include "framework/WipeGuard.h"
#include "history/share/LeBytes.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'Q', 'S', 'H', 'K'};
constexpr std::uint32_t kVersion = 1;
constexpr char kCheckText[] = "Quillary shared folder key check";
constexpr char kCheckBinding[] = "QSHK check";
constexpr char kEntropy[] = "Quillary shared folder key v1";
constexpr char kFingerprintSalt[] = "Quillary key fingerprint";

std::vector<std::uint8_t> Text(const char* text, std::size_t withNul)
{
    return {text, text + withNul - 1};
}

struct KeyFileParts {
    std::uint32_t rounds = 0;
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> check;
};

bool Parse(const std::vector<std::uint8_t>& bytes, KeyFileParts& parts)
{
    if (bytes.size() < 4 || !std::equal(kMagic, kMagic + 4, bytes.begin()))
        return false;
    lebytes::Reader in(bytes.data() + 4, bytes.size() - 4);
    std::uint32_t version = 0;
    std::uint32_t checkLength = 0;
    parts.salt.resize(ShareKey::kSaltSize);
    if (!in.Take32(version) || version != kVersion || !in.Take32(parts.rounds) ||
        !in.TakeBytes(parts.salt.data(), parts.salt.size()) || !in.Take32(checkLength) || in.Left() != checkLength)
        return false;
    const std::uint8_t* check = in.Skip(checkLength);
    parts.check.assign(check, check + checkLength);
    // Fewer rounds than ours would make the passphrase cheaper to guess: such a file is not ours.
    return parts.rounds >= ShareKey::kRounds;
}

std::vector<std::uint8_t> Utf8(const std::wstring& text)
{
    std::vector<std::uint8_t> out;
    if (text.empty())
        return out;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    out.resize(static_cast<size_t>(std::max(size, 0)));
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<char*>(out.data()), size, nullptr, nullptr);
    return out;
}

std::unique_ptr<ShareKey> Derive(const std::wstring& passphrase, const KeyFileParts& parts)
{
    std::vector<std::uint8_t> secret = Utf8(passphrase);
    WipeGuard wipeSecret(secret);
    std::vector<std::uint8_t> raw;
    if (!Pbkdf2Sha256(secret, parts.salt, parts.rounds, AesGcmKey::kKeySize, raw))
        return nullptr;
    WipeGuard wipeRaw(raw);
    return ShareKey::FromRaw(raw);
}

}  // namespace

ShareKey::ShareKey(std::unique_ptr<AesGcmKey> cipher, std::vector<std::uint8_t> raw)
    : m_cipher(std::move(cipher)), m_raw(std::move(raw))
{
}

ShareKey::~ShareKey()
{
    SecureZeroMemory(m_raw.data(), m_raw.size());
}

std::unique_ptr<ShareKey> ShareKey::FromRaw(const std::vector<std::uint8_t>& raw)
{
    std::unique_ptr<AesGcmKey> cipher = AesGcmKey::Create(raw.data(), raw.size());
    if (!cipher)
        return nullptr;
    return std::unique_ptr<ShareKey>(new ShareKey(std::move(cipher), raw));
}

std::unique_ptr<ShareKey> ShareKey::Create(const std::wstring& passphrase, std::vector<std::uint8_t>& keyFile)
{
    KeyFileParts parts;
    parts.rounds = kRounds;
    parts.salt.resize(kSaltSize);
    if (!RandomBytes(parts.salt.data(), parts.salt.size()))
        return nullptr;
    std::unique_ptr<ShareKey> key = Derive(passphrase, parts);
    if (!key)
        return nullptr;
    const std::vector<std::uint8_t> check =
        key->Seal(Text(kCheckBinding, sizeof(kCheckBinding)), Text(kCheckText, sizeof(kCheckText)));
    if (check.empty())
        return nullptr;
    keyFile.assign(kMagic, kMagic + 4);
    lebytes::Put(keyFile, kVersion, 4);
    lebytes::Put(keyFile, parts.rounds, 4);
    keyFile.insert(keyFile.end(), parts.salt.begin(), parts.salt.end());
    lebytes::Put(keyFile, check.size(), 4);
    keyFile.insert(keyFile.end(), check.begin(), check.end());
    return key;
}

ShareKey::JoinResult ShareKey::Join(const std::wstring& passphrase, const std::vector<std::uint8_t>& keyFile,
                                    std::unique_ptr<ShareKey>& key)
{
    key.reset();
    KeyFileParts parts;
    if (!Parse(keyFile, parts))
        return JoinResult::NotAKeyFile;
    std::unique_ptr<ShareKey> derived = Derive(passphrase, parts);
    if (!derived || !derived->Opens(keyFile))
        return JoinResult::WrongPassphrase;
    key = std::move(derived);
    return JoinResult::Opened;
}

bool ShareKey::Opens(const std::vector<std::uint8_t>& keyFile) const
{
    KeyFileParts parts;
    std::vector<std::uint8_t> text;
    return Parse(keyFile, parts) &&
           Open(Text(kCheckBinding, sizeof(kCheckBinding)), parts.check.data(), parts.check.size(), text) &&
           text == Text(kCheckText, sizeof(kCheckText));
}

bool ShareKey::Wrap(std::vector<std::uint8_t>& blob) const
{
    return ProtectForUser(m_raw, Text(kEntropy, sizeof(kEntropy)), blob);
}

std::unique_ptr<ShareKey> ShareKey::Unwrap(const std::vector<std::uint8_t>& blob)
{
    std::vector<std::uint8_t> raw;
    WipeGuard wipe(raw);
    if (!UnprotectForUser(blob, Text(kEntropy, sizeof(kEntropy)), raw) || raw.size() != AesGcmKey::kKeySize)
        return nullptr;
    return FromRaw(raw);
}

std::wstring ShareKey::Fingerprint() const
{
    std::vector<std::uint8_t> input = Text(kFingerprintSalt, sizeof(kFingerprintSalt));
    input.insert(input.end(), m_raw.begin(), m_raw.end());
    WipeGuard wipe(input);
    Sha256Digest digest;
    Sha256(input.data(), input.size(), digest);
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    for (int i = 0; i < 8; ++i) {
        if (i && i % 2 == 0)
            out.push_back(L' ');
        out.push_back(kDigits[digest[static_cast<size_t>(i)] >> 4]);
        out.push_back(kDigits[digest[static_cast<size_t>(i)] & 15]);
    }
    return out;
}

std::vector<std::uint8_t> ShareKey::Seal(const std::vector<std::uint8_t>& aad,
                                         const std::vector<std::uint8_t>& plain) const
{
    return m_cipher->Seal(aad.data(), aad.size(), plain.data(), plain.size());
}

bool ShareKey::Open(const std::vector<std::uint8_t>& aad, const std::uint8_t* sealed, std::size_t len,
                    std::vector<std::uint8_t>& plain) const
{
    return m_cipher->Open(aad.data(), aad.size(), sealed, len, plain);
}
