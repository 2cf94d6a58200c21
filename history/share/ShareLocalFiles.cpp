#include "history/share/ShareLocalFiles.h"

#include <algorithm>

#include "history/share/LeBytes.h"
#include "history/share/OpCodec.h"
#include "history/store/disk/FileSteps.h"

namespace {

constexpr std::uint8_t kKeyMagic[4] = {'Q', 'S', 'P', 'C'};
constexpr std::uint8_t kStateMagic[4] = {'Q', 'S', 'S', 'T'};
constexpr std::uint32_t kKeyVersion = 1;
constexpr std::uint32_t kStateVersion = 2;
constexpr wchar_t kKeyName[] = L"share.pc";
constexpr wchar_t kStateName[] = L"share.state";
constexpr char kCheckText[] = "Quillary PC share key check";

std::vector<std::uint8_t> Binding(const std::uint8_t* magic, const ShareId& pc)
{
    std::vector<std::uint8_t> aad(magic, magic + 4);
    aad.insert(aad.end(), pc.bytes.begin(), pc.bytes.end());
    return aad;
}

void PutPart(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& part)
{
    lebytes::Put(out, part.size(), 4);
    out.insert(out.end(), part.begin(), part.end());
}

bool TakePart(lebytes::Reader& in, std::vector<std::uint8_t>& part)
{
    std::uint32_t length = 0;
    if (!in.Take32(length) || in.Left() < length)
        return false;
    const std::uint8_t* at = in.Skip(length);
    part.assign(at, at + length);
    return true;
}

bool StartsWith(const std::vector<BYTE>& bytes, const std::uint8_t* magic, std::uint32_t wanted,
                lebytes::Reader& in)
{
    std::uint32_t version = 0;
    return bytes.size() >= 4 && std::equal(magic, magic + 4, bytes.begin()) && in.Skip(4) && in.Take32(version) &&
           version == wanted;
}

void PutLinks(std::vector<std::uint8_t>& out, const std::vector<std::pair<ShareId, EntryId>>& links)
{
    lebytes::Put(out, links.size(), 4);
    for (const auto& link : links) {
        out.insert(out.end(), link.first.bytes.begin(), link.first.bytes.end());
        lebytes::Put(out, link.second, 8);
    }
}

bool TakeLinks(const std::vector<std::uint8_t>& part, std::vector<std::pair<ShareId, EntryId>>& links)
{
    lebytes::Reader in(part.data(), part.size());
    std::uint32_t count = 0;
    if (!in.Take32(count) || in.Left() != std::uint64_t{count} * 24)
        return false;
    links.resize(count);
    for (auto& link : links)
        if (!in.TakeBytes(link.first.bytes.data(), 16) || !in.Take(link.second, 8))
            return false;
    return true;
}

struct KeyFileParts {
    ShareId pc;
    std::vector<std::uint8_t> wrapped;
    std::vector<std::uint8_t> check;
};

bool ReadKeyFile(disk::FileSystem& files, const std::wstring& path, KeyFileParts& parts)
{
    std::vector<BYTE> bytes;
    if (disk::ReadWhole(files, path, bytes, 1 << 20) != ERROR_SUCCESS)
        return false;
    lebytes::Reader in(bytes.data(), bytes.size());
    return StartsWith(bytes, kKeyMagic, kKeyVersion, in) && in.TakeBytes(parts.pc.bytes.data(), 16) &&
           TakePart(in, parts.wrapped) && TakePart(in, parts.check) && in.Left() == 0;
}

}  // namespace

ShareLocalFiles::ShareLocalFiles(disk::FileSystem& files, std::wstring dataFolder)
    : m_files(files), m_folder(std::move(dataFolder))
{
}

bool ShareLocalFiles::LoadPcId(ShareId& pc) const
{
    KeyFileParts parts;
    if (!ReadKeyFile(m_files, m_folder + kKeyName, parts) || parts.pc.IsZero())
        return false;
    pc = parts.pc;
    return true;
}

bool ShareLocalFiles::LoadKey(ShareId& pc, std::unique_ptr<ShareKey>& key) const
{
    key.reset();
    KeyFileParts parts;
    if (!ReadKeyFile(m_files, m_folder + kKeyName, parts) || parts.pc.IsZero())
        return false;
    std::unique_ptr<ShareKey> unwrapped = ShareKey::Unwrap(parts.wrapped);
    std::vector<std::uint8_t> text;
    if (!unwrapped ||
        !unwrapped->Open(Binding(kKeyMagic, parts.pc), parts.check.data(), parts.check.size(), text) ||
        text != std::vector<std::uint8_t>(kCheckText, kCheckText + sizeof(kCheckText) - 1))
        return false;
    pc = parts.pc;
    key = std::move(unwrapped);
    return true;
}

DWORD ShareLocalFiles::SaveKey(const ShareId& pc, const ShareKey& key) const
{
    std::vector<std::uint8_t> wrapped;
    if (!key.Wrap(wrapped))
        return ERROR_ENCRYPTION_FAILED;
    const std::vector<std::uint8_t> check =
        key.Seal(Binding(kKeyMagic, pc), std::vector<std::uint8_t>(kCheckText, kCheckText + sizeof(kCheckText) - 1));
    if (check.empty())
        return ERROR_ENCRYPTION_FAILED;
    std::vector<std::uint8_t> bytes(kKeyMagic, kKeyMagic + 4);
    lebytes::Put(bytes, kKeyVersion, 4);
    bytes.insert(bytes.end(), pc.bytes.begin(), pc.bytes.end());
    PutPart(bytes, wrapped);
    PutPart(bytes, check);
    return WriteReplacing(kKeyName, bytes);
}

bool ShareLocalFiles::LoadState(const ShareKey& key, const ShareId& pc, ShareState& state) const
{
    std::vector<BYTE> bytes;
    if (disk::ReadWhole(m_files, m_folder + kStateName, bytes) != ERROR_SUCCESS)
        return false;
    lebytes::Reader outer(bytes.data(), bytes.size());
    std::vector<std::uint8_t> plain;
    if (!StartsWith(bytes, kStateMagic, kStateVersion, outer) ||
        !key.Open(Binding(kStateMagic, pc), bytes.data() + outer.Pos(), outer.Left(), plain))
        return false;
    lebytes::Reader in(plain.data(), plain.size());
    std::vector<std::uint8_t> shared;
    std::vector<std::uint8_t> localOnly;
    std::vector<std::uint8_t> links;
    ShareState read;
    const bool whole = TakePart(in, read.positions) && TakePart(in, shared) && TakePart(in, localOnly) &&
                       TakePart(in, links) && in.Left() == 0 &&
                       opcodec::Decode(shared.data(), shared.size(), read.shared) &&
                       opcodec::Decode(localOnly.data(), localOnly.size(), read.localOnly) &&
                       TakeLinks(links, read.links);
    SecureZeroMemory(plain.data(), plain.size());
    if (whole)
        state = std::move(read);
    return whole;
}

DWORD ShareLocalFiles::SaveState(const ShareKey& key, const ShareId& pc, const ShareState& state) const
{
    std::vector<std::uint8_t> shared;
    std::vector<std::uint8_t> localOnly;
    std::vector<std::uint8_t> links;
    opcodec::Content content;
    content.bytes = false;
    opcodec::Encode(state.shared, shared, content);
    opcodec::Encode(state.localOnly, localOnly, content);
    PutLinks(links, state.links);
    std::vector<std::uint8_t> plain;
    PutPart(plain, state.positions);
    PutPart(plain, shared);
    PutPart(plain, localOnly);
    PutPart(plain, links);
    const std::vector<std::uint8_t> sealed = key.Seal(Binding(kStateMagic, pc), plain);
    SecureZeroMemory(plain.data(), plain.size());
    if (sealed.empty())
        return ERROR_ENCRYPTION_FAILED;
    std::vector<std::uint8_t> bytes(kStateMagic, kStateMagic + 4);
    lebytes::Put(bytes, kStateVersion, 4);
    bytes.insert(bytes.end(), sealed.begin(), sealed.end());
    return WriteReplacing(kStateName, bytes);
}

DWORD ShareLocalFiles::WriteReplacing(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const
{
    const std::wstring temp = m_folder + name + L".tmp";
    DWORD error = disk::WriteFlushed(m_files, temp, bytes);
    if (error == ERROR_SUCCESS)
        error = disk::MoveReplacing(m_files, temp, m_folder + name, disk::MoveWait::Once);
    return error;
}
