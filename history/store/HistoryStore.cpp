#include "history/store/HistoryStore.h"

#include "framework/AnsiCodePage.h"
#include "framework/CArchive.h"
#include "framework/CMemFile.h"
#include "history/store/disk/DiskFile.h"
#include "history/store/disk/FileSteps.h"
#include "history/store/formats/CBitmapFile.h"
#include "history/store/formats/Crc32.h"
#include "history/store/formats/HistoryFormat.h"
#include "history/store/formats/OptionsRecord.h"

#include <algorithm>
#include <cstring>

void HistoryStore::NoteUnread(const std::wstring& path, DWORD error)
{
    if (!m_unreadFile.empty())
        return;
    m_unreadFile = path;
    m_unreadError = error ? error : ERROR_READ_FAULT;
}

BOOL HistoryStore::LoadOptions(const wchar_t* path)
{
    DiskFile file(m_files);
    // Others may hold the file for writing (a sync program): reading it still works.
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
        const DWORD error = file.Error();
        if (!disk::IsMissing(error)) {
            m_countKnown = false;
            NoteUnread(path, error);
        }
        return FALSE;
    }
    SettingsRecord record = ToRecord(m_options);
    bool whole = false;
    try {
        CArchive archive(&file, CArchive::load);
        // A truncated file keeps the values it did not reach, and start-up goes on.
        whole = ReadSettings(archive, record, archive.Codec());
    } catch (...) {
    }
    m_countKnown = whole;
    FromRecord(record, m_options);
    return TRUE;
}

void HistoryStore::AppendLoadedText(EntryId id, const archive::RawString& raw, const std::string& bytes)
{
    // Decoded once, straight into the entry's own text: a full history is never
    // held twice. Entries end at their first NUL, as the text blocks of the
    // clipboard do; in ANSI bytes a NUL byte is always a NUL character.
    std::wstring text;
    if (raw.utf16) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos)
            text.erase(nul);
    } else {
        const size_t nul = bytes.find('\0');
        text = AnsiCodePage::System().DecodeWide(std::string_view(bytes).substr(0, nul));
    }
    HistoryEntry entry;
    entry.id = id;
    entry.text = std::make_shared<const std::wstring>(std::move(text));
    m_history.Append(std::move(entry));
}

bool HistoryStore::ReadSealed(const std::wstring& path, SealKind kind, std::uint64_t id, std::vector<BYTE>& bytes,
                              bool damageIsLocal)
{
    const DWORD error = disk::ReadWhole(m_files, path, bytes);
    if (error != ERROR_SUCCESS) {
        if (!disk::IsMissing(error))
            NoteUnread(path, error);
        return false;
    }
    if (m_form.Open(kind, id, bytes))
        return true;
    // A damaged picture costs its own entry; a history file that does not open
    // is not taken for missing, and nothing is saved over it.
    if (!damageIsLocal)
        NoteUnread(path, ERROR_DECRYPTION_FAILED);
    return false;
}

void HistoryStore::AppendLoadedBitmap(EntryId id, int record, const std::wstring& path)
{
    DWORD readError = 0;
    UniqueBitmap bitmap;
    if (m_form.Sealed()) {
        std::vector<BYTE> bytes;
        if (ReadSealed(path, SealKind::Picture, static_cast<std::uint64_t>(record), bytes, true))
            bitmap.Reset(CBitmapFile::LoadFromMemory(bytes.data(), bytes.size()));
    } else {
        bitmap.Reset(CBitmapFile().LoadFromFile(path.c_str(), &readError, m_files));
    }
    if (!bitmap) {
        // A missing or damaged file costs its entry; one that could not be read for now does not.
        if (readError)
            NoteUnread(path, readError);
        return;
    }
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
    explicit SummingFile(CFile& source) : m_source(source) {}
    UINT Read(void* buffer, UINT count) override
    {
        const UINT got = m_source.Read(buffer, count);
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
    CFile& m_source;
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
    DiskFile disk(m_files);
    std::unique_ptr<CMemFile> opened;
    ULONGLONG length = 0;
    if (m_form.Sealed()) {
        std::vector<BYTE> bytes;
        if (!ReadSealed(path, SealKind::History, 0, bytes, false))
            return FALSE;
        length = bytes.size();
        opened = std::make_unique<CMemFile>(std::move(bytes));
    } else if (!disk.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
        const DWORD error = disk.Error();
        if (!disk::IsMissing(error))
            NoteUnread(path, error);
        return FALSE;
    } else {
        length = disk.GetLength();
    }
    SummingFile file(opened ? static_cast<CFile&>(*opened) : disk);
    const std::wstring whole(path);
    const std::wstring folder = whole.substr(0, whole.find_last_of(L'\\') + 1);
    const int countBefore = m_history.Count();
    try {
        // A large buffer: a small one costs two reads of the file per record.
        CArchive archive(&file, CArchive::load, 1 << 16);
        archive::RawString raw;
        std::string bytes;
        // Without a count, the records run to the end of the file.
        for (int record = 0; !m_countKnown || record < m_options.m_nEntryCount; ++record) {
            const std::int32_t kind = ReadHistoryRecordRaw(archive, raw, bytes);
            const bool known = recordIds && static_cast<size_t>(record) < recordIds->size();
            const EntryId id = known ? (*recordIds)[static_cast<size_t>(record)] : m_history.NewId();
            m_recordIds.push_back(id);
            if (kind == kHistoryTextRecord)
                AppendLoadedText(id, raw, bytes);
            else if (kind == kHistoryBitmapRecord)
                AppendLoadedBitmap(id, record,
                                   m_picturePath ? m_picturePath(record) : folder + m_form.PictureName(record));
        }
    } catch (...) {
        // A record that runs past the end, or memory running out, ends the load;
        // the entries read so far stay.
    }
    m_loadedEntries = m_history.Count() - countBefore;
    if (!m_countKnown)
        m_options.m_nEntryCount = static_cast<int>(m_recordIds.size());
    // The archive read the file from its start, in order: what it left is summed on.
    file.ReadToEnd();
    m_fileSize = file.Size();
    m_fileCrc = file.Crc();
    // Bytes that could not be read are not the end of the history.
    if (m_fileSize != length)
        NoteUnread(path, disk.Error());
    return TRUE;
}
