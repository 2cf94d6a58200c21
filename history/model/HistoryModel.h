#pragma once
#include "history/model/HistoryEntry.h"

#include <functional>
#include <vector>

// What one model operation did, for those who follow the history: the list
// view, and the journal that keeps it on disk. Ids are given in the order the
// operation applied to them.
struct HistoryChange {
    enum class Kind {
        Insert,        // ids[0] went in directly below the top zone
        Remove,        // ids were removed
        SetTop,        // ids moved, in this order, to the bottom of the top zone
        MoveBelowTop,  // ids[0] copied again: moved to the first row below the top zone, or kept in it
        Clear,         // everything went; the top zone is empty
        Reset          // the whole history was replaced (a load): not an edit
    };
    Kind kind;
    std::vector<EntryId> ids;
    const HistoryEntry* entry = nullptr;  // Insert: the new entry; MoveBelowTop: the entry moved
    // Remove: the cap made room for a new copy (not the user's removal).
    bool capped = false;
};

// The history: the ordered entries, row 0 first, and the top zone (the first
// TopCount() rows). It owns every entry and holds the list's rules: new entries
// go directly below the top zone, the cap, Set top, Delete, Clear All.
class HistoryModel {
public:
    static constexpr int kDefaultMaxEntries = 1000;
    using Listener = std::function<void(const HistoryChange&)>;
    using IdSource = std::function<EntryId()>;

    // Ids come from `ids`, or from a random start per run so that the ids of
    // different runs and machines do not meet.
    explicit HistoryModel(IdSource ids = nullptr);

    int Count() const { return static_cast<int>(m_entries.size()); }
    int TopCount() const { return m_topCount; }
    const HistoryEntry& At(int row) const { return m_entries[static_cast<size_t>(row)]; }
    // The entry's row, or -1.
    int RowOf(EntryId id) const;
    int MaxEntries() const { return m_maxEntries; }
    void SetMaxEntries(int maxEntries) { m_maxEntries = maxEntries; }

    // Listeners hear every change after it is made, in the order they were added.
    void AddListener(Listener listener) { m_listeners.push_back(std::move(listener)); }

    // A new entry directly below the top zone; its id.
    EntryId InsertText(std::wstring text, std::shared_ptr<const EntryFormats> formats = nullptr,
                       bool keepHere = false);
    EntryId InsertPicture(UniqueBitmap bitmap, std::wstring label, bool keepHere = false);
    // An entry that already has its id (a replayed change); false when the id is
    // taken. Without a capture time it is captured now.
    bool Insert(HistoryEntry entry);
    // The cap before a capture: with MaxEntries() or more entries, the one at
    // row MaxEntries() - 1 goes.
    void TrimForInsert();
    // Removes entries from the bottom until at most `count` remain.
    void TrimTo(int count);
    void Remove(const std::vector<EntryId>& ids);
    // Moves the given entries that lie below the top zone into it, keeping
    // their order, below the entries already there.
    void SetTop(const std::vector<EntryId>& ids);
    // Moves an entry below the top zone to the first row below it, as copied
    // again at `captured` (0: now).
    void MoveBelowTop(EntryId id, std::uint64_t captured = 0);
    // Its text copied again: the entry takes the new copy's formats (or none)
    // and moves as MoveBelowTop moves it, so that change carries them. In the
    // top zone it takes them and stays, and the same change is announced.
    void Recopy(EntryId id, std::shared_ptr<const EntryFormats> formats, std::uint64_t captured = 0);
    void Clear();
    // Puts the entries in the given order with a top zone of `topCount` rows, as
    // another PC's changes have it, with `added` (another PC's copies, ids from
    // NewId) joining them where the order names them; entries not named follow in
    // their order. Announced as one Reset, for a merge of thousands: the caller
    // saves the history in full. False when nothing changed.
    bool Arrange(const std::vector<EntryId>& order, int topCount, std::vector<HistoryEntry> added = {});

    // Loading: from BeginLoad to Loaded nothing is announced; entries go in at
    // the end (or through the operations, replaying a journal), then the stored
    // top count is brought within 0..entries.
    void BeginLoad() { m_loading = true; }
    void Append(HistoryEntry entry) { m_entries.push_back(std::move(entry)); }
    // A loaded entry that turned out damaged goes again.
    void DropLast() { m_entries.pop_back(); }
    void SetTopCount(int topCount) { m_topCount = topCount; }
    // A loaded entry's capture time, from the file that keeps it (no change is announced).
    void SetCaptureTime(int row, std::uint64_t captured) { m_entries[static_cast<size_t>(row)].captured = captured; }
    void SetLoadedFormats(int row, std::shared_ptr<const EntryFormats> formats)
    {
        m_entries[static_cast<size_t>(row)].formats = std::move(formats);
    }
    void Loaded();
    // Lets go of every entry without a change (the end of the program).
    void Release();

    EntryId NewId();

private:
    void Announce(HistoryChange change);
    void RemoveRows(std::vector<int> rows, std::vector<EntryId>& removed);

    std::vector<HistoryEntry> m_entries;
    int m_topCount = 0;
    int m_maxEntries = kDefaultMaxEntries;
    IdSource m_ids;
    EntryId m_nextId = 0;
    std::vector<Listener> m_listeners;
    bool m_loading = false;
};
