#include "history/store/sealed/StoreForm.h"

#include "history/store/formats/FileNames.h"

StoreForm::StoreForm(std::shared_ptr<const HistoryKey> key, std::uint64_t set, bool legacy)
    : m_key(std::move(key)), m_set(set), m_legacy(legacy),
      m_lastSet(std::make_shared<std::atomic<std::uint64_t>>(set))
{
}

StoreForm StoreForm::NextSet() const
{
    if (!Sealed())
        return *this;
    StoreForm next = *this;
    next.m_set = ++*m_lastSet;
    next.m_legacy = false;
    return next;
}

std::vector<std::uint8_t> StoreForm::KeyFileBytes() const
{
    return Sealed() ? m_key->FileBytes(m_set) : std::vector<std::uint8_t>();
}

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
    return SealIn(m_set, kind, id, plain);
}

bool StoreForm::Open(SealKind kind, std::uint64_t id, std::vector<std::uint8_t>& bytes) const
{
    return OpenIn(m_set, kind, id, bytes);
}

std::vector<std::uint8_t> StoreForm::SealIn(std::uint64_t set, SealKind kind, std::uint64_t id,
                                            const std::vector<std::uint8_t>& plain) const
{
    if (!Sealed())
        return plain;
    return m_legacy ? m_key->Seal(kind, id, plain.data(), plain.size())
                    : m_key->Seal(kind, id, set, plain.data(), plain.size());
}

bool StoreForm::OpenIn(std::uint64_t set, SealKind kind, std::uint64_t id, std::vector<std::uint8_t>& bytes) const
{
    if (!Sealed())
        return true;
    std::vector<std::uint8_t> plain;
    const bool opened = m_legacy ? m_key->Open(kind, id, bytes.data(), bytes.size(), plain)
                                 : m_key->Open(kind, id, set, bytes.data(), bytes.size(), plain);
    if (!opened)
        return false;
    bytes.swap(plain);
    return true;
}

namespace {

// What a journal frame is sealed to: its offset, and (since sets are counted) the chain before it.
std::uint64_t FrameId(bool legacy, bool start, std::uint64_t offset, std::uint32_t chain)
{
    const std::uint64_t at = start ? journal::kStartBytes : offset;
    return legacy ? at : (at & 0xFFFFFFFFu) | static_cast<std::uint64_t>(chain) << 32;
}

}  // namespace

std::vector<std::uint8_t> StoreForm::JournalBytesAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset,
                                                    std::uint32_t chain, bool chained) const
{
    const bool start = offset == 0;
    if (!Sealed())
        return chained ? journal::Chained(bytes, start, chain) : bytes;
    const std::size_t head = (start ? journal::kStartBytes : 0) + journal::kFrameHeadBytes;
    if (bytes.size() < head)
        return {};
    const std::vector<std::uint8_t> sealed =
        SealIn(m_set, start ? SealKind::JournalStart : SealKind::JournalFrame,
               FrameId(m_legacy || !chained, start, offset, chain),
               std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(head), bytes.end()));
    if (sealed.empty())
        return {};
    std::vector<std::uint8_t> out;
    if (start) {
        out.assign(bytes.begin(), bytes.begin() + 4);
        const std::uint32_t version = chained ? journal::kCheckedSealedVersion : journal::kSealedVersion;
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<std::uint8_t>(version >> shift));
    }
    const std::vector<std::uint8_t> frame = journal::EncodeFrame(sealed.data(), sealed.size());
    out.insert(out.end(), frame.begin(), frame.end());
    return chained ? journal::Chained(std::move(out), start, chain) : out;
}

journal::Reader::Opener StoreForm::JournalOpener() const
{
    if (!Sealed())
        return nullptr;
    const StoreForm form = *this;
    // A journal of an earlier version (never chained) opens as the earlier version sealed it.
    return [form](bool start, std::uint64_t offset, std::uint32_t chain, std::vector<std::uint8_t>& payload) {
        return form.Open(start ? SealKind::JournalStart : SealKind::JournalFrame,
                         FrameId(form.m_legacy, start, offset, chain), payload);
    };
}
