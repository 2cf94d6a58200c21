#include "history/HistoryStore.h"

#include "framework/CArchive.h"
#include "history/CBitmapFile.h"
#include "history/Crc32.h"
#include "history/HistoryFormat.h"
#include "history/OptionsRecord.h"

#include <algorithm>
#include <cstring>

std::wstring HistoryStore::BitmapPath(const std::wstring& folder, int record)
{
    return folder + std::to_wstring(record) + L".dat";
}

BOOL HistoryStore::LoadOptions(const wchar_t* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return FALSE;
    SettingsRecord record = ToRecord(m_options);
    try {
        CArchive archive(&file, CArchive::load);
        // A truncated file keeps the values it did not reach, and start-up goes on.
        ReadSettings(archive, record, archive.Codec());
    } catch (...) {
    }
    FromRecord(record, m_options);
    return TRUE;
}

void HistoryStore::AppendLoadedText(EntryId id, std::u16string& text)
{
    HistoryEntry entry;
    entry.id = id;
    entry.text = std::make_shared<const std::wstring>(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    // The record's copy goes at once: a full history must not be held twice.
    std::u16string().swap(text);
    m_history.Append(std::move(entry));
}

void HistoryStore::AppendLoadedBitmap(EntryId id, const std::wstring& path)
{
    UniqueBitmap bitmap(CBitmapFile().LoadFromFile(path.c_str()));
    if (!bitmap)
        return;
    BITMAP bm = {};
    GetObjectW(bitmap.Get(), sizeof(bm), &bm);
    CString label;
    label.Format(L"Bitmap: %dx%d %dbits", static_cast<int>(bm.bmWidth), static_cast<int>(bm.bmHeight),
                 static_cast<int>(bm.bmBitsPixel));
    HistoryEntry entry;
    entry.id = id;
    entry.picture = std::make_shared<const EntryPicture>(std::move(bitmap), label.Str());
    m_history.Append(std::move(entry));
}

namespace {

// The history file as it is read, summed up whole: a journal names the file it applies to by these.
class SummingFile : public CFile {
public:
    UINT Read(void* buffer, UINT count) override
    {
        const UINT got = CFile::Read(buffer, count);
        m_crc.Update(buffer, got);
        m_size += got;
        return got;
    }
    void ReadToEnd()
    {
        std::vector<BYTE> rest(1 << 16);
        while (Read(rest.data(), static_cast<UINT>(rest.size())) == rest.size()) {
        }
    }
    std::uint64_t Size() const { return m_size; }
    std::uint32_t Crc() const { return m_crc.Value(); }

private:
    Crc32 m_crc;
    std::uint64_t m_size = 0;
};

}  // namespace

BOOL HistoryStore::LoadHistory(const wchar_t* path, const std::vector<EntryId>* recordIds)
{
    m_recordIds.clear();
    m_loadedEntries = 0;
    m_fileSize = 0;
    m_fileCrc = Crc32::Of(nullptr, 0);
    SummingFile file;
    if (!file.Open(path, CFile::modeRead))
        return FALSE;
    const std::wstring whole(path);
    const std::wstring folder = whole.substr(0, whole.find_last_of(L'\\') + 1);
    const int countBefore = m_history.Count();
    try {
        CArchive archive(&file, CArchive::load);
        for (int record = 0; record < m_options.m_nEntryCount; ++record) {
            HistoryRecord read = ReadHistoryRecord(archive, archive.Codec());
            const bool known = recordIds && static_cast<size_t>(record) < recordIds->size();
            const EntryId id = known ? (*recordIds)[static_cast<size_t>(record)] : m_history.NewId();
            m_recordIds.push_back(id);
            if (read.kind == kHistoryTextRecord)
                AppendLoadedText(id, read.text);
            else if (read.kind == kHistoryBitmapRecord)
                AppendLoadedBitmap(id, m_picturePath ? m_picturePath(record) : BitmapPath(folder, record));
        }
    } catch (...) {
        // A record that runs past the end, or memory running out, ends the load;
        // the entries read so far stay.
    }
    m_loadedEntries = m_history.Count() - countBefore;
    // The archive read the file from its start, in order: what it left is summed on.
    file.ReadToEnd();
    m_fileSize = file.Size();
    m_fileCrc = file.Crc();
    return TRUE;
}
