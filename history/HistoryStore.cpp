#include "history/HistoryStore.h"

#include "framework/CArchive.h"
#include "framework/SafeFileWriter.h"
#include "history/BitmapFileWriter.h"
#include "history/CBitmapFile.h"
#include "history/HistoryFormat.h"
#include "history/OptionsRecord.h"

#include <algorithm>
#include <cstring>

CString HistoryStore::BitmapPath(int row) const
{
    CString path;
    path.Format(L"%ls%d.dat", m_dataDir.GetString(), row);
    return path;
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

BOOL HistoryStore::SaveOptions(const wchar_t* path)
{
    const SettingsRecord record = ToRecord(m_options);
    return SafeFileWriter::Write(path, [&record](CFile& file) {
        CArchive archive(&file, CArchive::store);
        WriteSettings(archive, record, archive.Codec());
        archive.Close();
    });
}

BOOL HistoryStore::SaveHistory(const wchar_t* path)
{
    const int count = std::min(m_options.m_nEntryCount, m_history.Count());
    return SafeFileWriter::Write(path, [this, count](CFile& file) {
        CArchive archive(&file, CArchive::store);
        for (int row = 0; row < count; ++row) {
            const HistoryEntry& entry = m_history.At(row);
            if (entry.IsPicture()) {
                WriteBitmapRecord(archive);
                // A picture that cannot be written keeps its record; the next load skips it.
                SaveBitmapFile(entry.picture->Bitmap(), BitmapPath(row).Str());
            } else {
                const std::wstring empty;
                const std::wstring& text = entry.text ? *entry.text : empty;
                WriteTextRecord(archive, std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
                                archive.Codec());
            }
        }
        archive.Close();
    });
}

void HistoryStore::AppendLoadedText(std::u16string& text)
{
    HistoryEntry entry;
    entry.id = m_history.NewId();
    entry.text = std::make_shared<const std::wstring>(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    // The record's copy goes at once: a full history must not be held twice.
    std::u16string().swap(text);
    m_history.Append(std::move(entry));
}

void HistoryStore::AppendLoadedBitmap(int record)
{
    UniqueBitmap bitmap(CBitmapFile().LoadFromFile(BitmapPath(record)));
    if (!bitmap)
        return;
    BITMAP bm = {};
    GetObjectW(bitmap.Get(), sizeof(bm), &bm);
    CString label;
    label.Format(L"Bitmap: %dx%d %dbits", static_cast<int>(bm.bmWidth), static_cast<int>(bm.bmHeight),
                 static_cast<int>(bm.bmBitsPixel));
    HistoryEntry entry;
    entry.id = m_history.NewId();
    entry.picture = std::make_shared<const EntryPicture>(std::move(bitmap), label.Str());
    m_history.Append(std::move(entry));
}

BOOL HistoryStore::LoadHistory(const wchar_t* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return FALSE;
    m_history.SetTopCount(m_options.m_nTopCount);
    try {
        CArchive archive(&file, CArchive::load);
        for (int record = 0; record < m_options.m_nEntryCount; ++record) {
            HistoryRecord read = ReadHistoryRecord(archive, archive.Codec());
            if (read.kind == kHistoryTextRecord)
                AppendLoadedText(read.text);
            else if (read.kind == kHistoryBitmapRecord)
                AppendLoadedBitmap(record);
        }
    } catch (...) {
        // A record that runs past the end, or memory running out, ends the load;
        // the entries read so far stay.
    }
    return TRUE;
}
