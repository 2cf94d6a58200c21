#pragma once
// The shared history as operations have made it, whatever order they came
// in: the same operations give the same book on every PC.
//
// The rules: a copy is stamped; a later copy of the same entry moves it (the
// latest copy counts). A removal is a tombstone: the entry never comes back,
// whatever arrives after. A pin puts the entry in the top zone, ordered by
// the pin's stamp. Clear All removes every entry whose latest copy is older
// and empties the top zone of pins older than itself; a copy or a pin older
// than the clear that arrives later is not taken.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "history/model/HistoryEntry.h"
#include "history/share/ShareOp.h"

using TextHash = std::array<std::uint8_t, 16>;
TextHash HashOfText(const std::wstring& text);

struct BookEntry {
    ShareId id;
    Stamp copied;  // the latest copy; zero while only a pin of it has arrived
    std::uint64_t captured = 0;
    std::shared_ptr<const std::wstring> text;  // null for a picture
    // As the latest copy had them (null: none, or not known here).
    std::shared_ptr<const EntryFormats> formats;
    std::shared_ptr<const SharedPicture> picture;
    Stamp pinned;  // zero: not in the top zone
    // False for what stays on this PC: never written to the shared folder.
    bool shared = true;
    EntryId local = 0;  // the entry in this PC's history, 0 when not there
    // The last showing of the history that held it (BookMirror's count).
    mutable std::uint32_t shownIn = 0;

    bool HasPictureBytes() const { return picture && !picture->bmp.empty(); }
    bool Visible() const { return !copied.IsZero() && (text || local || HasPictureBytes()); }
    // The text's hash, made when first asked for: most entries are never compared.
    const TextHash& Hash() const;

private:
    mutable TextHash m_hash = {};
    mutable bool m_hashed = false;
};

class ShareBook {
public:
    // True when the book changed.
    bool Apply(const ShareOp& op);
    // Room for this many more entries, before a merge of many.
    void Reserve(std::size_t more)
    {
        m_entries.reserve(m_entries.size() + more);
        m_byLocal.reserve(m_byLocal.size() + more);
    }
    // An entry of this PC's history that is never shared: `copy` is its content, with a stamp of its own.
    void AddLocalOnly(const ShareOp& copy, EntryId local);
    // Forgets an entry without a tombstone: it fell off the end of this PC's history.
    void Drop(const ShareId& id);

    // The visible entries in history order: the top zone by pin, then the rest,
    // latest copy first; under "No repeats" one entry per text (the first in that order).
    std::vector<const BookEntry*> View(bool noRepeats) const;
    // The shared part of the book as operations, which rebuild it anywhere.
    std::vector<ShareOp> SharedOps() const;
    // The entries that stay on this PC, as copies.
    std::vector<ShareOp> LocalOnlyCopies() const;
    // Entries whose content a newer copy from elsewhere replaced since the last call.
    std::vector<ShareId> TakeRefreshed();
    // Every entry linked to this PC's history.
    std::vector<std::pair<ShareId, EntryId>> Links() const;

    BookEntry* Find(const ShareId& id);
    const BookEntry* FindLocal(EntryId local) const;
    void Link(const ShareId& id, EntryId local);
    void Link(BookEntry& entry, EntryId local);
    // Other visible entries with this entry's text.
    std::vector<ShareId> SameText(const BookEntry& entry) const;
    bool Removed(const ShareId& id) const { return m_tombstones.count(id) != 0; }
    // An entry of this PC's history that the book holds, or held until it went (removed, cleared).
    bool Knows(EntryId local) const { return m_byLocal.count(local) != 0 || m_orphans.count(local) != 0; }
    // The entries that went have left this PC's history too.
    void ForgetOrphans() { m_orphans.clear(); }
    const Stamp& ClearedBefore() const { return m_clearedBefore; }
    // The latest stamp in the book (the clock goes on after it).
    Stamp Latest() const;
    std::size_t Size() const { return m_entries.size(); }

private:
    using Entries = std::unordered_map<ShareId, BookEntry, ShareIdHash>;
    void Erase(Entries::iterator at);

    Entries m_entries;
    std::unordered_map<ShareId, Stamp, ShareIdHash> m_tombstones;
    std::unordered_map<EntryId, ShareId> m_byLocal;
    std::unordered_set<EntryId> m_orphans;
    Stamp m_clearedBefore;
    std::vector<ShareId> m_refreshed;
};
