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
#include "history/store/RecordSource.h"
#include "history/store/sealed/SealedHistory.h"

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

// Whether a description of the records fits a file of `size` bytes: they make it up exactly.
bool Fits(const std::vector<journal::RecordCheck>& records, std::uint64_t size)
{
    std::uint64_t total = 0;
    for (const journal::RecordCheck& record : records)
        total += record.size;
    return !records.empty() && total == size;
}

}  // namespace

void HistoryStore::Begin()
{
    m_crcKnown = false;
    m_recordIds.clear();
    m_records.clear();
    m_damaged = 0;
    m_described = false;
    m_loadedEntries = 0;
    m_fileSize = 0;
    m_fileCrc = Crc32::Of(nullptr, 0);
}

bool HistoryStore::AppendRecord(int record, ByteSource& source, const std::wstring& folder,
                                const journal::Header* described)
{
    const bool known = described && static_cast<size_t>(record) < described->recordIds.size();
    const EntryId id = known ? described->recordIds[static_cast<size_t>(record)] : m_history.NewId();
    archive::RawString raw;
    std::string bytes;
    const std::int32_t kind = ReadHistoryRecordRaw(source, raw, bytes);
    m_recordIds.push_back(id);
    if (kind == kHistoryTextRecord)
        AppendLoadedText(id, raw, bytes);
    else if (kind == kHistoryBitmapRecord)
        AppendLoadedBitmap(id, record, m_picturePath ? m_picturePath(record) : folder + m_form.PictureName(record));
    return true;
}

void HistoryStore::LoadRecords(CFile& file, const std::wstring& folder, const journal::Header* described)
{
    const ULONGLONG length = file.GetLength();
    // Described, each record is read where the description puts it and checked: a damaged one costs its
    // entry alone. Else the records are read one after the other, up to the first that runs past the end.
    const std::vector<journal::RecordCheck>* checks =
        described && Fits(described->records, length) ? &described->records : nullptr;
    m_described = checks != nullptr;
    RecordSource source(file);
    std::uint64_t expected = 0;
    for (int record = 0; checks ? static_cast<size_t>(record) < checks->size()
                                : (!m_countKnown || record < m_options.m_nEntryCount);
         ++record) {
        if (checks && source.Position() != expected)
            source.SeekTo(expected);
        source.BeginRecord();
        const int before = m_history.Count();
        bool read = true;
        try {
            AppendRecord(record, source, folder, described);
        } catch (...) {
            // A record that runs past the end, or memory running out.
            read = false;
        }
        const journal::RecordCheck check = source.EndRecord();
        if (!checks) {
            if (!read)
                break;
            m_records.push_back(check);
            continue;
        }
        const journal::RecordCheck& wanted = (*checks)[static_cast<size_t>(record)];
        if (!read || !(check == wanted)) {
            // Damaged: what it yielded goes, its place stays.
            ++m_damaged;
            while (m_history.Count() > before)
                m_history.DropLast();
            if (!read)
                m_recordIds.push_back(described->recordIds[static_cast<size_t>(record)]);
        }
        m_records.push_back(wanted);
        expected += wanted.size;
    }
    m_fileSize = length;
}

std::uint32_t HistoryStore::WholeCrc()
{
    // Summed only when a file of an earlier version names the history file so: one pass more.
    if (m_crcKnown || m_form.Sealed())
        return m_fileCrc;
    m_crcKnown = true;
    Crc32 whole;
    DiskFile disk(m_files);
    if (disk.Open(m_path, CFile::modeRead | CFile::shareDenyNone)) {
        std::vector<BYTE> piece(1 << 16);
        for (UINT got; (got = disk.Read(piece.data(), static_cast<UINT>(piece.size()))) > 0;)
            whole.Update(piece.data(), got);
    }
    m_fileCrc = whole.Value();
    return m_fileCrc;
}

BOOL HistoryStore::LoadHistory(const wchar_t* path, const journal::Header* described)
{
    Begin();
    m_path = path;
    const std::wstring whole(path);
    const std::wstring folder = whole.substr(0, whole.find_last_of(L'\\') + 1);
    const int countBefore = m_history.Count();
    if (m_form.Sealed() && !m_form.Legacy()) {
        if (!LoadSealedRecords(whole, folder, described))
            return FALSE;
    } else if (m_form.Sealed()) {
        // Sealed whole, before sets were counted.
        std::vector<BYTE> bytes;
        if (!ReadSealed(path, SealKind::History, 0, bytes, false))
            return FALSE;
        CMemFile opened(std::move(bytes));
        LoadRecords(opened, folder, described);
    } else {
        DiskFile disk(m_files);
        if (!disk.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
            const DWORD error = disk.Error();
            if (!disk::IsMissing(error))
                NoteUnread(path, error);
            return FALSE;
        }
        LoadRecords(disk, folder, described);
        // Bytes that could not be read are not the end of the history.
        if (disk.Error() != ERROR_SUCCESS)
            NoteUnread(path, disk.Error());
    }
    m_loadedEntries = m_history.Count() - countBefore;
    if (!m_countKnown)
        m_options.m_nEntryCount = static_cast<int>(m_recordIds.size());
    return TRUE;
}

bool HistoryStore::LoadSealedRecords(const std::wstring& path, const std::wstring& folder,
                                     const journal::Header* described)
{
    std::vector<BYTE> bytes;
    const DWORD error = disk::ReadWhole(m_files, path, bytes);
    if (error != ERROR_SUCCESS) {
        if (!disk::IsMissing(error))
            NoteUnread(path, error);
        return false;
    }
    std::vector<std::vector<std::uint8_t>> records;
    std::vector<bool> opened;
    // Not a sealed history of this key at all: not taken for missing, and nothing is saved over it.
    if (!sealed_history::Decode(m_form, bytes, records, opened)) {
        NoteUnread(path, ERROR_DECRYPTION_FAILED);
        return false;
    }
    m_described = described != nullptr && described->records.size() == records.size();
    Crc32 whole;
    for (size_t record = 0; record < records.size(); ++record) {
        const int before = m_history.Count();
        bool read = opened[record];
        CMemFile memory(records[record]);
        RecordSource source(memory);
        source.BeginRecord();
        if (read) {
            try {
                AppendRecord(static_cast<int>(record), source, folder, described);
            } catch (...) {
                read = false;
            }
        }
        if (!read) {
            // A record that does not open costs its entry alone; its place stays.
            ++m_damaged;
            while (m_history.Count() > before)
                m_history.DropLast();
            if (m_recordIds.size() <= record)
                m_recordIds.push_back(m_described ? described->recordIds[record] : m_history.NewId());
            m_records.push_back(m_described ? described->records[record] : journal::RecordCheck());
            continue;
        }
        m_records.push_back(source.EndRecord());
        whole.Update(records[record].data(), records[record].size());
        m_fileSize += records[record].size();
    }
    m_fileCrc = whole.Value();
    return true;
}
