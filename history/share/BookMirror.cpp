#include "history/share/BookMirror.h"

#include <algorithm>
#include <map>

BookMirror::BookMirror(HistoryModel& model, const ClipOptions& options) : m_model(model), m_options(options)
{
    m_model.AddListener([this](const HistoryChange& change) { OnChange(change); });
}

void BookMirror::Begin(HybridClock& clock, const ShareId& pc, ShareBook book,
                       const std::vector<std::pair<ShareId, EntryId>>& links)
{
    m_clock = &clock;
    m_pc = pc;
    m_book = std::move(book);
    m_queued.clear();
    m_outgoing.clear();
    m_running = true;
    std::unordered_map<EntryId, int> rows;
    for (int row = 0; row < m_model.Count(); ++row)
        rows.emplace(m_model.At(row).id, row);
    for (const auto& link : links) {
        BookEntry* entry = m_book.Find(link.first);
        const auto row = rows.find(link.second);
        if (!entry || entry->local || row == rows.end() || m_book.FindLocal(link.second))
            continue;
        m_book.Link(entry->id, link.second);
        // The history holds the formats (on disk) and the picture; the book kept neither.
        if (!entry->formats)
            entry->formats = m_model.At(row->second).formats;
    }
    LinkByText(&rows);
}

void BookMirror::End()
{
    m_running = false;
    m_book = ShareBook();
    m_queued.clear();
    m_outgoing.clear();
}

void BookMirror::LinkByText(std::unordered_map<EntryId, int>* only)
{
    // Entries match the book by text, in order; pictures match only by their links.
    std::map<TextHash, std::vector<ShareId>> unlinked;
    for (const BookEntry* entry : m_book.View(false))
        if (entry->text && !entry->local)
            unlinked[entry->Hash()].push_back(entry->id);
    if (unlinked.empty())
        return;
    for (int row = m_model.Count() - 1; row >= 0; --row) {
        const HistoryEntry& entry = m_model.At(row);
        if (!entry.text || m_book.FindLocal(entry.id) || (only && !only->count(entry.id)))
            continue;
        auto match = unlinked.find(HashOfText(*entry.text));
        if (match == unlinked.end() || match->second.empty())
            continue;
        BookEntry* joined = m_book.Find(match->second.front());
        m_book.Link(joined->id, entry.id);
        if (!joined->formats)
            joined->formats = entry.formats;
        match->second.erase(match->second.begin());
    }
}

void BookMirror::JoinUnknown()
{
    LinkByText(nullptr);
    std::uint64_t previous = 0;
    for (int row = m_model.Count() - 1; row >= 0; --row) {
        const HistoryEntry& entry = m_model.At(row);
        // One the book brought is no unknown copy, even when the book has since removed it.
        if (m_book.Knows(entry.id))
            continue;
        // Joins the book as copied when it was captured, after any Clear All it has not seen.
        const Stamp stamp{std::max({entry.captured / 10000, previous + 1, m_book.ClearedBefore().time + 1}), 0, m_pc};
        previous = stamp.time;
        m_clock->Observe(stamp);
        Add(entry, stamp);
    }
    // Pins in row order, so the top zone stays as it is.
    for (int row = 0; row < m_model.TopCount(); ++row) {
        const BookEntry* entry = m_book.FindLocal(m_model.At(row).id);
        if (entry && entry->pinned.IsZero())
            Emit({OpKind::Pin, m_clock->Next(), entry->id}, entry->shared);
    }
}

std::shared_ptr<const SharedPicture> BookMirror::PictureOf(const HistoryEntry& entry) const
{
    if (!entry.IsPicture() || entry.keepHere || !m_options.m_bSharePictures)
        return nullptr;
    return Encoded(entry);
}

std::shared_ptr<const SharedPicture> BookMirror::Encoded(const HistoryEntry& entry) const
{
    if (!entry.IsPicture() || !m_codec.encode)
        return nullptr;
    auto picture = std::make_shared<SharedPicture>();
    picture->label = entry.picture->Label();
    if (!m_codec.encode(entry.picture->Bitmap(), picture->bmp) || picture->bmp.empty())
        return nullptr;
    return picture;
}

void BookMirror::Add(const HistoryEntry& entry, const Stamp& stamp)
{
    ShareOp op{OpKind::Copy, stamp, ShareId::Random(), entry.captured, entry.text, entry.formats};
    bool shared = entry.text && !entry.keepHere;
    if (entry.IsPicture()) {
        op.picture = PictureOf(entry);
        shared = op.picture != nullptr;
        if (!shared)
            op.picture = std::make_shared<const SharedPicture>(SharedPicture{entry.picture->Label(), {}});
    }
    if (shared) {
        Emit(op, true);
        m_book.Link(op.entry, entry.id);
    } else {
        m_book.AddLocalOnly(op, entry.id);
        m_dirty = true;
    }
}

bool BookMirror::Merge(const std::vector<ShareOp>& ops)
{
    m_book.Reserve(ops.size());
    bool changed = false;
    for (const ShareOp& op : ops) {
        m_clock->Observe(op.stamp);
        changed = m_book.Apply(op) || changed;
    }
    m_dirty = m_dirty || changed;
    return changed;
}

bool BookMirror::EntryFor(const BookEntry& entry, HistoryEntry& joining) const
{
    joining.captured = entry.captured;
    if (entry.text) {
        joining.text = entry.text;
        joining.formats = entry.formats;
    } else {
        HBITMAP bitmap = entry.HasPictureBytes() && m_codec.decode ? m_codec.decode(entry.picture->bmp) : nullptr;
        if (!bitmap)
            return false;
        joining.picture = std::make_shared<const EntryPicture>(UniqueBitmap(bitmap), entry.picture->label);
    }
    joining.id = m_model.NewId();
    return true;
}

void BookMirror::Refresh()
{
    for (const ShareId& id : m_book.TakeRefreshed()) {
        const BookEntry* entry = m_book.Find(id);
        const int row = entry && entry->local && entry->text ? m_model.RowOf(entry->local) : -1;
        if (row >= 0 && m_model.At(row).formats != entry->formats)
            m_model.Recopy(entry->local, entry->formats, entry->captured);
    }
}

bool BookMirror::Reflect()
{
    std::vector<const BookEntry*> view = m_book.View(m_options.m_bNoRepeats != 0);
    if (view.size() > static_cast<size_t>(std::max(m_model.MaxEntries(), 0)))
        view.resize(static_cast<size_t>(std::max(m_model.MaxEntries(), 0)));
    ++m_showing;
    for (const BookEntry* entry : view)
        entry->shownIn = m_showing;
    m_applying = true;
    bool changed = false;
    // What the book no longer shows leaves; an entry the book never knew stays.
    std::vector<EntryId> leaving;
    for (int row = 0; row < m_model.Count(); ++row) {
        const EntryId id = m_model.At(row).id;
        const BookEntry* entry = m_book.FindLocal(id);
        if (entry ? entry->shownIn != m_showing : m_book.Knows(id))
            leaving.push_back(id);
    }
    if (!leaving.empty()) {
        for (EntryId id : leaving)
            if (const BookEntry* entry = m_book.FindLocal(id))
                m_book.Link(entry->id, 0);
        m_model.Remove(leaving);
        changed = true;
    }
    m_book.ForgetOrphans();
    Refresh();
    std::vector<EntryId> order;
    std::vector<HistoryEntry> added;
    order.reserve(view.size());
    added.reserve(view.size());
    m_book.Reserve(view.size());
    int pinned = 0;
    for (const BookEntry* entry : view) {
        HistoryEntry joining;
        if (!entry->local && EntryFor(*entry, joining)) {
            m_book.Link(entry->id, joining.id);
            added.push_back(std::move(joining));
        }
        if (!entry->local)
            continue;
        order.push_back(entry->local);
        if (!entry->pinned.IsZero())
            ++pinned;
    }
    changed = m_model.Arrange(order, pinned, std::move(added)) || changed;
    m_applying = false;
    return changed;
}

void BookMirror::Emit(const ShareOp& op, bool shared)
{
    m_book.Apply(op);
    m_dirty = true;
    if (shared)
        m_outgoing.push_back(op);
}

void BookMirror::OnChange(const HistoryChange& change)
{
    if (!m_running || m_applying || change.kind == HistoryChange::Kind::Reset)
        return;
    m_queued.push_back({change.kind, change.ids, change.capped, change.entry ? *change.entry : HistoryEntry()});
}

void BookMirror::Drain()
{
    if (!m_running)
        return;
    std::vector<Queued> queued;
    queued.swap(m_queued);
    for (const Queued& change : queued)
        Record(change);
}

void BookMirror::Record(const Queued& change)
{
    switch (change.kind) {
    case HistoryChange::Kind::Insert:
        Add(change.entry, m_clock->Next());
        break;
    case HistoryChange::Kind::Remove:
        RecordRemove(change);
        break;
    case HistoryChange::Kind::SetTop:
        for (EntryId local : change.ids)
            if (const BookEntry* entry = m_book.FindLocal(local))
                Emit({OpKind::Pin, m_clock->Next(), entry->id}, entry->shared);
        break;
    case HistoryChange::Kind::MoveBelowTop:
        if (const BookEntry* entry = m_book.FindLocal(change.ids.front()))
            Emit({OpKind::Copy, m_clock->Next(), entry->id, change.entry.captured, entry->text, change.entry.formats,
                  entry->picture},
                 entry->shared);
        break;
    case HistoryChange::Kind::Clear:
        Emit({OpKind::ClearBefore, m_clock->Next(), ShareId()}, true);
            break;
    case HistoryChange::Kind::Reset:
        break;
    }
}

void BookMirror::RecordRemove(const Queued& change)
{
    for (EntryId local : change.ids) {
        const BookEntry* entry = m_book.FindLocal(local);
        if (!entry)
            continue;
        const ShareId id = entry->id;
        if (change.capped || !entry->shared) {
            m_book.Drop(id);
            m_dirty = true;
            continue;
        }
        // Under "No repeats" the same text from other PCs was hidden behind this one: it goes too.
        std::vector<ShareId> gone = m_book.SameText(*entry);
        gone.erase(std::remove_if(gone.begin(), gone.end(),
                                  [this](const ShareId& other) {
                                      const BookEntry* same = m_book.Find(other);
                                      return !same || same->local || !same->shared;
                                  }),
                   gone.end());
        gone.insert(gone.begin(), id);
        for (const ShareId& each : gone)
            Emit({OpKind::Remove, m_clock->Next(), each}, true);
    }
}

std::vector<ShareOp> BookMirror::TakeOutgoing()
{
    std::vector<ShareOp> outgoing;
    outgoing.swap(m_outgoing);
    return outgoing;
}

std::vector<ShareOp> BookMirror::SnapshotOps()
{
    std::vector<ShareOp> ops = m_book.SharedOps();
    for (ShareOp& op : ops) {
        if (!op.picture || !op.picture->bmp.empty())
            continue;
        // A picture this PC sent in an earlier run: its history holds the bitmap.
        BookEntry* entry = m_book.Find(op.entry);
        const int row = entry && entry->local ? m_model.RowOf(entry->local) : -1;
        if (row < 0)
            continue;
        if (std::shared_ptr<const SharedPicture> picture = Encoded(m_model.At(row)))
            op.picture = entry->picture = picture;
    }
    return ops;
}

ShareState BookMirror::State(std::vector<std::uint8_t> positions)
{
    m_dirty = false;
    return {std::move(positions), m_book.SharedOps(), m_book.LocalOnlyCopies(), m_book.Links()};
}
