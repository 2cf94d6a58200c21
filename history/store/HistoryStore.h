#pragma once
#include "framework/ArchiveCore.h"
#include "history/model/ClipOptions.h"
#include "framework/CFile.h"
#include "history/model/HistoryModel.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/disk/FileSystem.h"
#include "history/store/sealed/StoreForm.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Reads the settings file and the history file (with one BMP file per
// picture entry) of a data folder. Loading is defensive: a damaged file gives
// what can be read of it and never takes the rest of the start-up with it.
class HistoryStore {
public:
    HistoryStore(HistoryModel& history, ClipOptions& options, disk::FileSystem& files = disk::SystemFiles())
        : m_history(history), m_options(options), m_files(files)
    {
    }

    // Where a picture file of the history file being read is found; by default
    // beside the history file.
    using PicturePath = std::function<std::wstring(int record)>;
    void SetPicturePath(PicturePath picturePath) { m_picturePath = std::move(picturePath); }
    // The form of the history and picture files read: sealed ones are opened with its key.
    void SetForm(StoreForm form) { m_form = std::move(form); }

    // FALSE when the file cannot be opened. A settings file that cannot be read
    // whole leaves the entry count unknown: the history file's records are counted.
    BOOL LoadOptions(const wchar_t* path);
    // Appends the entries of the history file to the model; the caller announces
    // the load (HistoryModel::Loaded) once everything is in. With `described`
    // (a journal's start or the extras' map), the entry of record i gets
    // recordIds[i] (the id the journal knows it by), and when its records make
    // up the file, each is read where they put it and checked by its size and
    // CRC: a damaged record costs its own entry, nothing else.
    BOOL LoadHistory(const wchar_t* path, const journal::Header* described = nullptr);

    // False when the settings did not say how many records the history file holds.
    bool CountKnown() const { return m_countKnown; }
    // A history file found without its settings: its records are counted.
    void ForgetCount() { m_countKnown = false; }
    // The first file that exists but could not be read (empty: none), and why.
    const std::wstring& UnreadFile() const { return m_unreadFile; }
    DWORD UnreadError() const { return m_unreadError; }

    // The last load: the id given to each record read (entry or not), each
    // record's size and CRC, and the entries it yielded.
    const std::vector<EntryId>& RecordIds() const { return m_recordIds; }
    const std::vector<journal::RecordCheck>& Records() const { return m_records; }
    // Whether the description fitted the file, and how many records it found damaged.
    bool Described() const { return m_described; }
    int DamagedRecords() const { return m_damaged; }
    int LoadedEntries() const { return m_loadedEntries; }
    // Size and CRC-32 of the whole history file read (none: an empty one); the
    // CRC is summed when asked, for files of earlier versions that name it so.
    std::uint64_t FileSize() const { return m_fileSize; }
    std::uint32_t WholeCrc();

private:
    void Begin();
    void LoadRecords(CFile& file, const std::wstring& folder, const journal::Header* described);
    bool LoadSealedRecords(const std::wstring& path, const std::wstring& folder, const journal::Header* described);
    // Reads record `record` at the source and appends its entry (if it yields one); throws when it does not read.
    bool AppendRecord(int record, ByteSource& source, const std::wstring& folder, const journal::Header* described);
    void AppendLoadedText(EntryId id, const archive::RawString& raw, const std::string& bytes);
    void AppendLoadedBitmap(EntryId id, int record, const std::wstring& path);
    // A sealed file's plain bytes; false when it cannot be read (noted) or
    // opened (noted too unless the damage costs no more than the file's entry).
    bool ReadSealed(const std::wstring& path, SealKind kind, std::uint64_t id, std::vector<BYTE>& bytes,
                    bool damageIsLocal);
    void NoteUnread(const std::wstring& path, DWORD error);

    HistoryModel& m_history;
    ClipOptions& m_options;
    disk::FileSystem& m_files;
    PicturePath m_picturePath;
    StoreForm m_form;
    std::vector<EntryId> m_recordIds;
    std::vector<journal::RecordCheck> m_records;
    int m_damaged = 0;
    bool m_described = false;
    int m_loadedEntries = 0;
    std::uint64_t m_fileSize = 0;
    std::uint32_t m_fileCrc = 0;
    bool m_crcKnown = false;
    std::wstring m_path;
    bool m_countKnown = true;
    std::wstring m_unreadFile;
    DWORD m_unreadError = 0;
};
