#include "history/store/extras/ExtrasPlace.h"

#include "history/store/disk/FileSteps.h"

#include "history/store/extras/FormatsRecord.h"
#include "history/store/sealed/SealedExtras.h"

ExtrasFileSource::ExtrasFileSource(disk::FileSystem& files, const std::wstring& path) : m_file(files)
{
    if (m_file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::shareDelete)) {
        m_size = m_file.GetLength();
        // A size that cannot be had: the file is not read as an empty one.
        if (m_file.Error() != ERROR_SUCCESS)
            m_file.Close();
    }
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

FormatsPlace::Outcome ExtrasPlace::Read(std::vector<KeptFormat>& kept) const
{
    std::lock_guard<std::mutex> lock(FilesLock());
    // The first path whose bytes there check out: the other may hold the file this one replaces.
    Outcome outcome = Outcome::Damaged;
    for (const std::wstring& path : *m_paths) {
        ExtrasFileSource file(m_files, path);
        if (!file.IsOpen()) {
            if (!disk::IsMissing(file.Error()))
                outcome = Outcome::Unreadable;
            continue;
        }
        extras::Formats formats;
        if (m_form.Sealed()) {
            std::vector<std::uint8_t> part(m_span.length);
            if (!file.ReadAt(m_span.offset, part.data(), part.size()) ||
                !sealed_extras::OpenFormats(m_form, m_sealId, std::move(part), formats))
                continue;
        } else if (!extras::ReadRecordFormats(file, m_span, formats)) {
            continue;
        }
        kept = KeptOf(std::move(formats));
        return Outcome::Read;
    }
    return outcome;
}
