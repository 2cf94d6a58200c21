#include "history/HistoryStore.h"

#include "framework/CArchive.h"
#include "framework/SafeFileWriter.h"
#include "history/BitmapFileWriter.h"
#include "history/CBitmapFile.h"
#include "history/HistoryFormat.h"
#include "history/OptionsRecord.h"

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
    const int count = m_options.m_nEntryCount;
    return SafeFileWriter::Write(path, [this, count](CFile& file) {
        CArchive archive(&file, CArchive::store);
        for (int row = 0; row < count; ++row) {
            LPARAM data = m_history.DataAt(row);
            if (HistoryList::IsBitmapEntry(data)) {
                WriteBitmapRecord(archive);
                // A picture that cannot be written keeps its record; the next load skips it.
                SaveBitmapFile(reinterpret_cast<HBITMAP>(data), BitmapPath(row).Str());
            } else {
                const wchar_t* text = data ? reinterpret_cast<const wchar_t*>(data) : L"";
                WriteTextRecord(archive, std::u16string_view(reinterpret_cast<const char16_t*>(text)), archive.Codec());
            }
        }
        archive.Close();
    });
}

void HistoryStore::InsertLoadedText(int row, const wchar_t* text, size_t length)
{
    wchar_t* block = HistoryList::NewTextBlock(text, length);
    if (!block)
        return;
    const int image = row < m_options.m_nTopCount ? HistoryList::kImageTextTop : HistoryList::kImageText;
    if (m_history.InsertEntry(row, HistoryList::MakeLabel(block), image, reinterpret_cast<LPARAM>(block)) < 0)
        HistoryList::FreeEntryData(reinterpret_cast<LPARAM>(block));
}

void HistoryStore::InsertLoadedBitmap(int row)
{
    HBITMAP bitmap = CBitmapFile().LoadFromFile(BitmapPath(row));
    if (!bitmap)
        return;
    BITMAP bm = {};
    GetObjectW(bitmap, sizeof(bm), &bm);
    CString label;
    label.Format(L"Bitmap: %dx%d %dbits", static_cast<int>(bm.bmWidth), static_cast<int>(bm.bmHeight),
                 static_cast<int>(bm.bmBitsPixel));
    const int image = row < m_options.m_nTopCount ? HistoryList::kImageBitmapTop : HistoryList::kImageBitmap;
    if (m_history.InsertEntry(row, label, image, reinterpret_cast<LPARAM>(bitmap)) < 0)
        DeleteObject(bitmap);
}

BOOL HistoryStore::LoadHistory(const wchar_t* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return FALSE;
    // Drawing is held while the list fills: a shown list view repaints on every
    // insertion, which made a full history take seconds to load.
    HistoryList::RedrawHold hold(m_history);
    try {
        CArchive archive(&file, CArchive::load);
        for (int row = 0; row < m_options.m_nEntryCount; ++row) {
            HistoryRecord record = ReadHistoryRecord(archive, archive.Codec());
            if (record.kind == kHistoryTextRecord)
                InsertLoadedText(row, reinterpret_cast<const wchar_t*>(record.text.c_str()), record.text.size());
            else if (record.kind == kHistoryBitmapRecord)
                InsertLoadedBitmap(row);
        }
    } catch (...) {
        // A record that runs past the end, or memory running out, ends the load;
        // the entries read so far stay.
    }
    m_history.ClampTopCount();
    return TRUE;
}
