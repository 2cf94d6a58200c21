#pragma once
#include <windows.h>

#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "history/model/ClipOptions.h"
#include "history/model/HistoryModel.h"
#include "history/share/HybridClock.h"
#include "history/share/ShareBook.h"
#include "history/share/ShareLocalFiles.h"

// Turns pictures into the BMP files PCs send and back; given by the shell,
// which holds the store's bitmap code. Without it pictures stay on each PC.
struct PictureCodec {
    std::function<bool(HBITMAP bitmap, std::vector<std::uint8_t>& bmp)> encode;
    std::function<HBITMAP(const std::vector<std::uint8_t>& bmp)> decode;  // null when the bytes are no picture
};

// Keeps this PC's history and the shared book in step, on the popup's thread:
// every change of the history becomes an operation in the book (those to send
// wait in Outgoing), and the history is made to show the book.
class BookMirror {
public:
    BookMirror(HistoryModel& model, const ClipOptions& options);
    BookMirror(const BookMirror&) = delete;
    BookMirror& operator=(const BookMirror&) = delete;

    void SetPictureCodec(PictureCodec codec) { m_codec = std::move(codec); }

    // Begins with the book as this PC kept it; its entries find theirs in the
    // history by the links kept, else by their text.
    void Begin(HybridClock& clock, const ShareId& pc, ShareBook book,
               const std::vector<std::pair<ShareId, EntryId>>& links);
    void End();

    // Takes the history's changes made since the last call into the book (a
    // capture only queues its change, so that it costs the capture nearly nothing).
    void Drain();
    // Entries of the history that the book has not known (copied while sharing
    // was off, or whose state was lost) join it: those with the same text as an
    // entry of the book are that entry.
    void JoinUnknown();
    // Operations read from the folder; true when the book changed.
    bool Merge(const std::vector<ShareOp>& ops);
    // Makes the history show the book; true when it changed.
    bool Reflect();

    // Operations made here and not handed on yet.
    std::vector<ShareOp> TakeOutgoing();
    bool HasOutgoing() const { return !m_outgoing.empty() || !m_queued.empty(); }
    // The whole shared book as operations, pictures with their bytes.
    std::vector<ShareOp> SnapshotOps();
    // The book as this PC keeps it between runs.
    ShareState State(std::vector<std::uint8_t> positions);
    // The book changed since the last State.
    bool Dirty() const { return m_dirty; }
    void MarkDirty() { m_dirty = true; }

    const ShareBook& Book() const { return m_book; }

private:
    // A change of the history, queued until the next drain.
    struct Queued {
        HistoryChange::Kind kind;
        std::vector<EntryId> ids;
        bool capped = false;
        HistoryEntry entry;  // Insert and MoveBelowTop
    };

    void OnChange(const HistoryChange& change);
    void Record(const Queued& change);
    void RecordRemove(const Queued& change);
    // An entry of the history, stamped `stamp`: into the book, sent unless it stays here.
    void Add(const HistoryEntry& entry, const Stamp& stamp);
    void Emit(const ShareOp& op, bool shared);
    // The picture of an entry of the history as PCs send it; null when it stays here.
    std::shared_ptr<const SharedPicture> PictureOf(const HistoryEntry& entry) const;
    // The same whatever the options say; null without a codec or when the bitmap cannot be read.
    std::shared_ptr<const SharedPicture> Encoded(const HistoryEntry& entry) const;
    // A new entry of the history for an entry of the book; false when it cannot be shown.
    bool EntryFor(const BookEntry& entry, HistoryEntry& joining) const;
    // Entries whose newer copy from elsewhere brought other formats take them.
    void Refresh();
    void LinkByText(std::unordered_map<EntryId, int>* only);

    HistoryModel& m_model;
    const ClipOptions& m_options;
    PictureCodec m_codec;
    HybridClock* m_clock = nullptr;
    ShareId m_pc;
    ShareBook m_book;
    std::uint32_t m_showing = 0;  // how many times the history was made to show the book
    std::vector<Queued> m_queued;
    std::vector<ShareOp> m_outgoing;
    bool m_running = false;
    bool m_applying = false;
    bool m_dirty = false;
};
