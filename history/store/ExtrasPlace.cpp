#include "history/store/ExtrasPlace.h"

#include "history/store/FormatsRecord.h"

ExtrasFileSource::ExtrasFileSource(const std::wstring& path)
{
    if (m_file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::shareDelete))
        m_size = m_file.GetLength();
}

bool ExtrasFileSource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const
{
    if (!m_file.IsOpen() || offset > m_size || m_size - offset < count)
        return false;
    if (m_file.Seek(static_cast<LONGLONG>(offset), CFile::begin) != offset)
        return false;
    // Read in pieces a 32-bit count holds.
    while (count > 0) {
        const UINT piece = count > 0x40000000 ? 0x40000000 : static_cast<UINT>(count);
        if (m_file.Read(out, piece) != piece)
            return false;
        out += piece;
        count -= piece;
    }
    return true;
}

std::mutex& ExtrasPlace::FilesLock()
{
    static std::mutex lock;
    return lock;
}

bool ExtrasPlace::Read(std::vector<KeptFormat>& kept) const
{
    std::vector<std::uint8_t> payload(m_span.length);
    std::lock_guard<std::mutex> lock(FilesLock());
    for (const std::wstring& path : *m_paths) {
        ExtrasFileSource file(path);
        if (!file.ReadAt(m_span.offset, payload.data(), payload.size()) ||
            Crc32::Of(payload.data(), payload.size()) != m_span.crc)
            continue;
        extras::Formats formats;
        if (!extras::DecodePayloadFormats(payload.data(), payload.size(), formats))
            return false;
        kept = KeptOf(formats);
        return true;
    }
    return false;
}
