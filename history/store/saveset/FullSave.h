#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "history/model/FormatsShelf.h"
#include "history/store/extras/ExtrasMap.h"
#include "history/store/formats/FileNames.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/saveset/SaveSet.h"
#include "history/store/saveset/SaveSnapshot.h"

// Writes the whole history as the files of the data folder, as one set: one
// BMP file per picture ("N.dat"), "data.data", "data.extras" (ids, capture
// times and what each entry keeps), a formats file for each entry whose kept
// formats no file holds yet, "imgOption.data" and a new journal that starts
// from them. Formats already in their file stay there: a save costs what
// changed, not every format the history keeps. An entry the files cannot
// hold is left out (and counted) rather than written wrong: a picture whose
// pixels cannot be read (its record would get an older save's picture), a
// text beyond the format's length prefix.
// Sealed, the same files go under the sealed form's names, with the key file
// of a new set number; either way, the other form's files go with the set.
class FullSave {
public:
    FullSave(std::wstring folder, const SaveSnapshot& snapshot, disk::FileSystem& files = disk::SystemFiles());

    // Called between steps with the frames that reached the current journal
    // meanwhile appended to `tail`: they go on into the new journal.
    using Between = std::function<void(std::vector<std::vector<std::uint8_t>>& tail)>;
    // Called once the set is bound to complete, with the new journal's file,
    // before any file is moved.
    using Committing = std::function<void(const std::wstring& newJournal)>;

    // `wait`: how long a move waits for a file another program holds.
    bool Run(const Between& between, const Committing& committing, disk::MoveWait wait = disk::MoveWait::AboutASecond);

    // After a successful run: what the new journal applies to, in which form (a new set's).
    const journal::Header& Base() const { return m_base; }
    const StoreForm& Form() const { return m_form; }
    int TopCount() const { return m_topCount; }
    std::uint64_t JournalBytes() const { return m_journalBytes; }
    std::uint32_t JournalChain() const { return m_journalChain; }
    // Whether changes made during the save went into the new journal.
    bool JournalHoldsChanges() const { return !m_tail.empty(); }
    const SaveSet::Failure& LastFailure() const { return m_failure.file.empty() ? m_set.LastFailure() : m_failure; }
    int SkippedEntries() const { return m_skipped; }

private:
    // Picks the entries to write and writes the pictures' files.
    bool WritePictures(const Between& between);
    bool WriteHistory(const Between& between);
    // The map of every record, and the formats files that are new; each entry's
    // formats get their place in their file, taken once the set is bound.
    bool WriteExtras();
    // The map's entry for one kept entry, writing its formats file when no file holds them yet.
    bool MapEntryOf(std::size_t position, extras::MapEntry& entry);
    void ShelveFormats();
    bool WriteOptions();
    bool WriteJournal(const std::vector<std::vector<std::uint8_t>>& tail);
    // The files the set leaves stale, removed with it however it finishes: the
    // pictures no record of it uses (a removed entry's picture must not stay on
    // the disk) and the other form's files.
    bool AddStaleFiles();
    // A file of the set in the snapshot's form.
    bool AddStored(const std::wstring& name, SealKind kind, std::uint64_t id, const std::function<void(CFile&)>& body);

    std::wstring m_folder;
    disk::FileSystem& m_files;
    const SaveSnapshot& m_snapshot;
    StoreForm m_form;
    SaveSet m_set;
    SaveSet::Failure m_failure;
    std::vector<size_t> m_kept;  // entries written, in order
    std::vector<std::vector<std::uint8_t>> m_tail;
    std::set<std::wstring> m_formatsFiles;  // the formats files the set has
    std::vector<std::pair<std::shared_ptr<FormatsShelf>, std::shared_ptr<const FormatsPlace>>> m_places;
    journal::Header m_base;
    std::uint64_t m_journalBytes = 0;
    std::uint32_t m_journalChain = 0;
    int m_topCount = 0;
    int m_skipped = 0;
};
