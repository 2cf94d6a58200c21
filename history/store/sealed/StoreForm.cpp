#include "history/store/sealed/StoreForm.h"

#include "history/store/formats/FileNames.h"

std::wstring StoreForm::HistoryName() const
{
    return Sealed() ? g_strSealedHistoryFileName : g_strHistoryFileName;
}

std::wstring StoreForm::ExtrasName() const
{
    return Sealed() ? g_strSealedExtrasFileName : g_strExtrasFileName;
}

std::wstring StoreForm::JournalName() const
{
    return Sealed() ? g_strSealedJournalFileName : g_strJournalFileName;
}

std::wstring StoreForm::PictureName(int record) const
{
    return std::to_wstring(record) + (Sealed() ? L".qdat" : L".dat");
}

std::vector<std::wstring> StoreForm::FixedNames(bool sealed)
{
    if (sealed)
        return {g_strSealedHistoryFileName, g_strSealedExtrasFileName, g_strSealedJournalFileName, g_strKeyFileName};
    return {g_strHistoryFileName, g_strExtrasFileName, g_strJournalFileName};
}

std::vector<std::uint8_t> StoreForm::Seal(SealKind kind, std::uint64_t id, const std::vector<std::uint8_t>& plain) const
{
    if (!Sealed())
        return plain;
    return m_key->Seal(kind, id, plain.data(), plain.size());
}

bool StoreForm::Open(SealKind kind, std::uint64_t id, std::vector<std::uint8_t>& bytes) const
{
    if (!Sealed())
        return true;
    std::vector<std::uint8_t> plain;
    if (!m_key->Open(kind, id, bytes.data(), bytes.size(), plain))
        return false;
    bytes.swap(plain);
    return true;
}

std::vector<std::uint8_t> StoreForm::JournalBytesAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset) const
{
    if (!Sealed())
        return bytes;
    const bool start = offset == 0;
    const std::size_t head = (start ? journal::kStartBytes : 0) + journal::kFrameHeadBytes;
    if (bytes.size() < head)
        return {};
    const std::vector<std::uint8_t> sealed =
        m_key->Seal(start ? SealKind::JournalStart : SealKind::JournalFrame, start ? journal::kStartBytes : offset,
                    bytes.data() + head, bytes.size() - head);
    if (sealed.empty())
        return {};
    std::vector<std::uint8_t> out;
    if (start) {
        out.assign(bytes.begin(), bytes.begin() + 4);
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<std::uint8_t>(journal::kSealedVersion >> shift));
    }
    const std::vector<std::uint8_t> frame = journal::EncodeFrame(sealed.data(), sealed.size());
    out.insert(out.end(), frame.begin(), frame.end());
    return out;
}

journal::Reader::Opener StoreForm::JournalOpener() const
{
    if (!Sealed())
        return nullptr;
    std::shared_ptr<const HistoryKey> key = m_key;
    return [key](bool start, std::uint64_t offset, std::vector<std::uint8_t>& payload) {
        std::vector<std::uint8_t> plain;
        if (!key->Open(start ? SealKind::JournalStart : SealKind::JournalFrame, offset, payload.data(),
                       payload.size(), plain))
            return false;
        payload.swap(plain);
        return true;
    };
}
