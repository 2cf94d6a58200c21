#include "history/share/ShareBook.h"

#include <algorithm>
#include <set>

#include "framework/Sha256.h"

TextHash HashOfText(const std::wstring& text)
{
    std::vector<std::uint8_t> bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(text[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    Sha256Digest digest;
    Sha256(bytes.data(), bytes.size(), digest);
    TextHash hash;
    std::copy(digest.begin(), digest.begin() + hash.size(), hash.begin());
    return hash;
}

const TextHash& BookEntry::Hash() const
{
    if (!m_hashed && text) {
        m_hash = HashOfText(*text);
        m_hashed = true;
    }
    return m_hash;
}

bool ShareBook::Apply(const ShareOp& op)
{
    switch (op.kind) {
    case OpKind::Copy: {
        if (Removed(op.entry) || op.stamp < m_clearedBefore)
            return false;
        BookEntry& entry = m_entries[op.entry];
        entry.id = op.entry;
        bool changed = false;
        if (!entry.text && op.text) {
            entry.text = op.text;
            changed = true;
        }
        // What a copy carries that was not known here (an entry read again) fills in.
        if (!entry.HasPictureBytes() && op.picture && (!op.picture->bmp.empty() || !entry.picture)) {
            entry.picture = op.picture;
            changed = true;
        }
        // The same copy sent twice (in a segment, then in a snapshot) may carry more formats one time.
        const auto keeps = [](const std::shared_ptr<const EntryFormats>& formats) {
            return formats ? formats->kept.size() : 0;
        };
        if (entry.copied < op.stamp || (entry.copied == op.stamp && keeps(op.formats) > keeps(entry.formats))) {
            if (entry.formats != op.formats && entry.local)
                m_refreshed.push_back(entry.id);
            entry.formats = op.formats;
            changed = true;
        }
        if (entry.copied < op.stamp) {
            entry.copied = op.stamp;
            entry.captured = op.captured;
            changed = true;
        }
        return changed;
    }
    case OpKind::Remove: {
        auto tomb = m_tombstones.find(op.entry);
        if (tomb != m_tombstones.end()) {
            tomb->second = std::max(tomb->second, op.stamp);
            return false;
        }
        m_tombstones.emplace(op.entry, op.stamp);
        auto at = m_entries.find(op.entry);
        if (at != m_entries.end())
            Erase(at);
        return true;
    }
    case OpKind::Pin: {
        // A pin older than Clear All was emptied by it, whichever came first here.
        if (Removed(op.entry) || op.stamp < m_clearedBefore)
            return false;
        BookEntry& entry = m_entries[op.entry];
        entry.id = op.entry;
        if (!(entry.pinned < op.stamp))
            return false;
        entry.pinned = op.stamp;
        return true;
    }
    case OpKind::ClearBefore: {
        if (!(m_clearedBefore < op.stamp))
            return false;
        m_clearedBefore = op.stamp;
        for (auto at = m_entries.begin(); at != m_entries.end();) {
            auto next = std::next(at);
            BookEntry& entry = at->second;
            if (entry.pinned < op.stamp)
                entry.pinned = Stamp();
            // A later pin of a cleared entry is kept for a later copy of it, as if it came after the clear.
            if (!entry.copied.IsZero() && entry.copied < op.stamp) {
                if (entry.pinned.IsZero()) {
                    Erase(at);
                } else {
                    if (entry.local) {
                        m_byLocal.erase(entry.local);
                        m_orphans.insert(entry.local);
                    }
                    BookEntry ghost;
                    ghost.id = entry.id;
                    ghost.pinned = entry.pinned;
                    ghost.shared = entry.shared;
                    entry = ghost;
                }
            } else if (entry.copied.IsZero() && entry.pinned.IsZero()) {
                Erase(at);
            }
            at = next;
        }
        return true;
    }
    }
    return false;
}

void ShareBook::AddLocalOnly(const ShareOp& copy, EntryId local)
{
    BookEntry& entry = m_entries[copy.entry];
    entry.id = copy.entry;
    entry.copied = copy.stamp;
    entry.captured = copy.captured;
    entry.text = copy.text;
    entry.formats = copy.formats;
    entry.picture = copy.picture;
    entry.shared = false;
    Link(copy.entry, local);
}

void ShareBook::Drop(const ShareId& id)
{
    auto at = m_entries.find(id);
    if (at != m_entries.end())
        Erase(at);
}

void ShareBook::Erase(Entries::iterator at)
{
    if (at->second.local) {
        m_byLocal.erase(at->second.local);
        m_orphans.insert(at->second.local);
    }
    m_entries.erase(at);
}

std::vector<const BookEntry*> ShareBook::View(bool noRepeats) const
{
    std::vector<const BookEntry*> pinned;
    std::vector<const BookEntry*> rest;
    for (const auto& item : m_entries) {
        const BookEntry& entry = item.second;
        if (entry.Visible())
            (entry.pinned.IsZero() ? rest : pinned).push_back(&entry);
    }
    std::sort(pinned.begin(), pinned.end(), [](const BookEntry* a, const BookEntry* b) { return a->pinned < b->pinned; });
    std::sort(rest.begin(), rest.end(), [](const BookEntry* a, const BookEntry* b) { return b->copied < a->copied; });
    pinned.insert(pinned.end(), rest.begin(), rest.end());
    if (!noRepeats)
        return pinned;
    std::vector<const BookEntry*> view;
    std::set<TextHash> seen;
    for (const BookEntry* entry : pinned)
        if (!entry->text || seen.insert(entry->Hash()).second)
            view.push_back(entry);
    return view;
}

std::vector<ShareOp> ShareBook::SharedOps() const
{
    std::vector<ShareOp> ops;
    if (!m_clearedBefore.IsZero())
        ops.push_back({OpKind::ClearBefore, m_clearedBefore, ShareId(), 0, nullptr});
    for (const auto& tomb : m_tombstones)
        ops.push_back({OpKind::Remove, tomb.second, tomb.first, 0, nullptr});
    for (const auto& item : m_entries) {
        const BookEntry& entry = item.second;
        if (!entry.shared)
            continue;
        if (!entry.copied.IsZero() && (entry.text || entry.picture))
            ops.push_back(
                {OpKind::Copy, entry.copied, entry.id, entry.captured, entry.text, entry.formats, entry.picture});
        if (!entry.pinned.IsZero())
            ops.push_back({OpKind::Pin, entry.pinned, entry.id, 0, nullptr});
    }
    return ops;
}

std::vector<ShareOp> ShareBook::LocalOnlyCopies() const
{
    std::vector<ShareOp> ops;
    for (const auto& item : m_entries) {
        const BookEntry& entry = item.second;
        if (!entry.shared && (entry.text || entry.picture))
            ops.push_back({OpKind::Copy, entry.copied, item.first, entry.captured, entry.text, nullptr, entry.picture});
    }
    return ops;
}

std::vector<ShareId> ShareBook::TakeRefreshed()
{
    std::vector<ShareId> refreshed;
    refreshed.swap(m_refreshed);
    return refreshed;
}

std::vector<std::pair<ShareId, EntryId>> ShareBook::Links() const
{
    std::vector<std::pair<ShareId, EntryId>> links;
    links.reserve(m_byLocal.size());
    for (const auto& link : m_byLocal)
        links.emplace_back(link.second, link.first);
    return links;
}

BookEntry* ShareBook::Find(const ShareId& id)
{
    auto at = m_entries.find(id);
    return at == m_entries.end() ? nullptr : &at->second;
}

const BookEntry* ShareBook::FindLocal(EntryId local) const
{
    auto at = m_byLocal.find(local);
    if (at == m_byLocal.end())
        return nullptr;
    auto entry = m_entries.find(at->second);
    return entry == m_entries.end() ? nullptr : &entry->second;
}

void ShareBook::Link(const ShareId& id, EntryId local)
{
    if (BookEntry* entry = Find(id))
        Link(*entry, local);
}

void ShareBook::Link(BookEntry& entry, EntryId local)
{
    if (entry.local)
        m_byLocal.erase(entry.local);
    entry.local = local;
    if (local)
        m_byLocal[local] = entry.id;
}

std::vector<ShareId> ShareBook::SameText(const BookEntry& entry) const
{
    std::vector<ShareId> same;
    if (!entry.text)
        return same;
    for (const auto& item : m_entries)
        if (item.first != entry.id && item.second.text && item.second.Hash() == entry.Hash())
            same.push_back(item.first);
    return same;
}

Stamp ShareBook::Latest() const
{
    Stamp latest = m_clearedBefore;
    for (const auto& tomb : m_tombstones)
        latest = std::max(latest, tomb.second);
    for (const auto& item : m_entries)
        latest = std::max({latest, item.second.copied, item.second.pinned});
    return latest;
}
