#include "history/store/sealed/HistoryKey.h"

#include "framework/UserProtect.h"
#include "framework/WipeGuard.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::uint8_t kMagic[4] = {'Q', 'K', 'E', 'Y'};
constexpr std::uint32_t kCountedVersion = 2;
constexpr std::uint32_t kFirstVersion = 1;
// Binds the wrapped key to this program: another program's DPAPI call without it cannot unwrap it.
constexpr char kEntropy[] = "Quillary history key v1";
constexpr char kCheckText[] = "Quillary key check";

std::vector<std::uint8_t> Entropy()
{
    return {kEntropy, kEntropy + sizeof(kEntropy) - 1};
}

std::vector<std::uint8_t> CheckText()
{
    return {kCheckText, kCheckText + sizeof(kCheckText) - 1};
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

bool TakeU32(const std::vector<std::uint8_t>& bytes, std::size_t& pos, std::uint32_t& value)
{
    if (bytes.size() - pos < 4)
        return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[pos + i]) << (8 * i);
    pos += 4;
    return true;
}

// A 32-bit length and that many bytes.
bool TakePart(const std::vector<std::uint8_t>& bytes, std::size_t& pos, std::vector<std::uint8_t>& part)
{
    std::uint32_t length = 0;
    if (!TakeU32(bytes, pos, length) || bytes.size() - pos < length)
        return false;
    part.assign(bytes.begin() + pos, bytes.begin() + pos + length);
    pos += length;
    return true;
}

// The version, the wrapped key and the check record of a whole key file, with nothing after them.
bool SplitFile(const std::vector<std::uint8_t>& bytes, std::uint32_t& version, std::vector<std::uint8_t>& wrapped,
               std::vector<std::uint8_t>& check)
{
    if (bytes.size() < sizeof(kMagic) || !std::equal(kMagic, kMagic + sizeof(kMagic), bytes.begin()))
        return false;
    std::size_t pos = sizeof(kMagic);
    return TakeU32(bytes, pos, version) && (version == kFirstVersion || version == kCountedVersion) &&
           TakePart(bytes, pos, wrapped) && TakePart(bytes, pos, check) && pos == bytes.size();
}

// The associated data: the kind, then the id, then (since sets are counted) the set, little-endian.
std::vector<std::uint8_t> BoundTo(SealKind kind, std::uint64_t id, const std::uint64_t* set)
{
    std::vector<std::uint8_t> aad;
    PutU32(aad, static_cast<std::uint32_t>(kind));
    PutU32(aad, static_cast<std::uint32_t>(id));
    PutU32(aad, static_cast<std::uint32_t>(id >> 32));
    if (set) {
        PutU32(aad, static_cast<std::uint32_t>(*set));
        PutU32(aad, static_cast<std::uint32_t>(*set >> 32));
    }
    return aad;
}

std::vector<std::uint8_t> SealWith(const AesGcmKey& cipher, SealKind kind, std::uint64_t id, const std::uint64_t* set,
                                   const void* plain, std::size_t len)
{
    const auto aad = BoundTo(kind, id, set);
    return cipher.Seal(aad.data(), aad.size(), plain, len);
}

bool OpenWith(const AesGcmKey& cipher, SealKind kind, std::uint64_t id, const std::uint64_t* set, const void* sealed,
              std::size_t len, std::vector<std::uint8_t>& plain)
{
    const auto aad = BoundTo(kind, id, set);
    return cipher.Open(aad.data(), aad.size(), sealed, len, plain);
}

// The cipher of a wrapped key; the unwrapped bytes are wiped when it returns.
std::unique_ptr<AesGcmKey> Unwrap(const std::vector<std::uint8_t>& wrapped)
{
    std::vector<std::uint8_t> raw;
    WipeGuard wipe(raw);
    if (!UnprotectForUser(wrapped, Entropy(), raw) || raw.size() != AesGcmKey::kKeySize)
        return nullptr;
    return AesGcmKey::Create(raw.data(), raw.size());
}

}  // namespace

HistoryKey::HistoryKey(std::unique_ptr<AesGcmKey> cipher, std::vector<std::uint8_t> wrapped)
    : m_cipher(std::move(cipher)), m_wrapped(std::move(wrapped))
{
}

std::unique_ptr<HistoryKey> HistoryKey::Create()
{
    std::vector<std::uint8_t> raw(AesGcmKey::kKeySize);
    WipeGuard wipe(raw);
    if (!RandomBytes(raw.data(), raw.size()))
        return nullptr;
    std::unique_ptr<AesGcmKey> cipher = AesGcmKey::Create(raw.data(), raw.size());
    std::vector<std::uint8_t> wrapped;
    if (!cipher || !ProtectForUser(raw, Entropy(), wrapped))
        return nullptr;
    return std::unique_ptr<HistoryKey>(new HistoryKey(std::move(cipher), std::move(wrapped)));
}

std::vector<std::uint8_t> HistoryKey::FileBytes(std::uint64_t set) const
{
    std::vector<std::uint8_t> text = CheckText();
    PutU32(text, static_cast<std::uint32_t>(set));
    PutU32(text, static_cast<std::uint32_t>(set >> 32));
    const std::vector<std::uint8_t> check = SealWith(*m_cipher, SealKind::Check, 0, nullptr, text.data(), text.size());
    if (check.empty())
        return {};
    std::vector<std::uint8_t> file(kMagic, kMagic + sizeof(kMagic));
    PutU32(file, kCountedVersion);
    PutU32(file, static_cast<std::uint32_t>(m_wrapped.size()));
    file.insert(file.end(), m_wrapped.begin(), m_wrapped.end());
    PutU32(file, static_cast<std::uint32_t>(check.size()));
    file.insert(file.end(), check.begin(), check.end());
    return file;
}

HistoryKey::OpenResult HistoryKey::FromFileBytes(const std::vector<std::uint8_t>& bytes,
                                                 std::unique_ptr<HistoryKey>& key, std::uint64_t* set, bool* counted)
{
    key.reset();
    std::uint32_t version = 0;
    std::vector<std::uint8_t> wrapped;
    std::vector<std::uint8_t> check;
    if (!SplitFile(bytes, version, wrapped, check))
        return OpenResult::Unopenable;
    // The system may unwrap a damaged or foreign key to wrong bytes: the check decides.
    std::unique_ptr<AesGcmKey> cipher = Unwrap(wrapped);
    std::vector<std::uint8_t> text;
    const std::vector<std::uint8_t> expected = CheckText();
    const std::size_t setBytes = version == kCountedVersion ? 8 : 0;
    if (!cipher || !OpenWith(*cipher, SealKind::Check, 0, nullptr, check.data(), check.size(), text) ||
        text.size() != expected.size() + setBytes || !std::equal(expected.begin(), expected.end(), text.begin()))
        return OpenResult::Unopenable;
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < setBytes; ++i)
        number |= static_cast<std::uint64_t>(text[expected.size() + i]) << (8 * i);
    if (set)
        *set = number;
    if (counted)
        *counted = version == kCountedVersion;
    key.reset(new HistoryKey(std::move(cipher), std::move(wrapped)));
    return OpenResult::Opened;
}

std::vector<std::uint8_t> HistoryKey::Seal(SealKind kind, std::uint64_t id, std::uint64_t set, const void* plain,
                                           std::size_t len) const
{
    return SealWith(*m_cipher, kind, id, &set, plain, len);
}

bool HistoryKey::Open(SealKind kind, std::uint64_t id, std::uint64_t set, const void* sealed, std::size_t len,
                      std::vector<std::uint8_t>& plain) const
{
    return OpenWith(*m_cipher, kind, id, &set, sealed, len, plain);
}

std::vector<std::uint8_t> HistoryKey::Seal(SealKind kind, std::uint64_t id, const void* plain, std::size_t len) const
{
    return SealWith(*m_cipher, kind, id, nullptr, plain, len);
}

bool HistoryKey::Open(SealKind kind, std::uint64_t id, const void* sealed, std::size_t len,
                      std::vector<std::uint8_t>& plain) const
{
    return OpenWith(*m_cipher, kind, id, nullptr, sealed, len, plain);
}
