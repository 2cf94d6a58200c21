#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "history/model/HistoryModel.h"
#include "history/store/HistoryStore.h"
#include "history/store/disk/FileSystem.h"
#include "history/store/extras/ExtrasMap.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/sealed/StoreForm.h"

// The extras of the history file a start loads: this version's map (read
// before the history file, whose records it describes) with each entry's
// formats in their own file, or an earlier version's records (whose formats
// lie in the extras file itself), read once the history file is.
class ExtrasLoader {
public:
    // Where a file of the folder is read from (a waiting save may hold a new version); empty: gone.
    using Resolve = std::function<std::wstring(const std::wstring& name)>;

    ExtrasLoader(disk::FileSystem& files, StoreForm form, Resolve resolve, std::wstring folder);

    // ERROR_SUCCESS when read or missing; else why it could not be read
    // (nothing may then be saved over it).
    DWORD Read();
    // The map as a description of the history file's records, or null.
    const journal::Header* Description() const { return m_isMap ? &m_description : nullptr; }
    // Gives the loaded entries their capture times and formats, when the
    // extras belong to the history file that `store` read.
    void Apply(HistoryModel& model, HistoryStore& store);

private:
    // The map: by its records. An earlier version's extras: by the whole file.
    bool MapBelongs(const HistoryStore& store) const;
    bool Belongs(std::uint64_t size, std::uint32_t crc, HistoryStore& store) const;
    void ApplyMap(HistoryModel& model, const HistoryStore& store);
    void ApplyRecords(HistoryModel& model, HistoryStore& store);
    void ApplyWholeSealed(HistoryModel& model, HistoryStore& store);

    disk::FileSystem& m_files;
    StoreForm m_form;
    Resolve m_resolve;
    std::wstring m_folder;
    std::wstring m_path;
    bool m_isMap = false;
    extras::Map m_map;
    journal::Header m_description;
};
