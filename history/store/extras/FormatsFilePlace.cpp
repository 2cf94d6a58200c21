#include "history/store/extras/FormatsFilePlace.h"

#include "history/store/disk/FileSteps.h"
#include "history/store/extras/FormatsRecord.h"
#include "history/store/sealed/SealedExtras.h"

FormatsFilePlace::FormatsFilePlace(disk::FileSystem& files, std::vector<std::wstring> paths, std::uint64_t id,
                                   extras::Outline outline, StoreForm form, std::uint64_t set)
    : m_files(files), m_paths(std::move(paths)), m_id(id), m_outline(std::move(outline)), m_form(std::move(form)),
      m_set(set)
{
}

FormatsPlace::Outcome FormatsFilePlace::Read(std::vector<KeptFormat>& kept) const
{
    // A format is at most 4 MiB, and an entry keeps a few.
    constexpr std::uint64_t kLargest = std::uint64_t{64} << 20;
    Outcome outcome = Outcome::Damaged;
    for (const std::wstring& path : m_paths) {
        std::vector<BYTE> bytes;
        const DWORD error = disk::ReadWhole(m_files, path, bytes, kLargest);
        if (error != ERROR_SUCCESS) {
            if (!disk::IsMissing(error))
                outcome = Outcome::Unreadable;
            continue;
        }
        std::vector<extras::Format> formats;
        const bool whole = m_form.Sealed()
                               ? sealed_extras::DecodeFormatsFile(m_form, bytes, m_id, m_set, m_outline, formats)
                               : extras::DecodeFormatsFile(bytes.data(), bytes.size(), m_id, m_outline, formats);
        if (!whole)
            continue;
        extras::Formats stored;
        stored.kept = std::move(formats);
        kept = KeptOf(std::move(stored));
        return Outcome::Read;
    }
    return outcome;
}
