#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "history/store/journal/JournalFormat.h"
#include "history/store/journal/JournalReader.h"
#include "history/store/sealed/HistoryKey.h"

// The form the history's files take in the data folder: plain, under the
// names older versions know, or sealed with the folder's key under names of
// their own, so that an older version never reads them or saves over them.
// The settings file is plain in both.
//
// A sealed form belongs to one save set: its records are sealed to the set's
// number, which the set's key file keeps under the key, so that a file of
// another set (an older one put back, one from another folder) is refused.
// A folder sealed before sets were counted is read in the counting-free form
// ("legacy"); its first save writes the counted one.
class StoreForm {
public:
    StoreForm() = default;
    // The key's form for save set `set`; `legacy` for a folder sealed before sets were counted.
    StoreForm(std::shared_ptr<const HistoryKey> key, std::uint64_t set, bool legacy);

    bool Sealed() const { return m_key != nullptr; }
    bool Legacy() const { return m_legacy; }
    std::uint64_t Set() const { return m_set; }
    const HistoryKey* Key() const { return m_key.get(); }
    // The form of the next save set: a number no set of this key had (plain stays plain).
    StoreForm NextSet() const;
    // This set's key file; empty when the key cannot seal.
    std::vector<std::uint8_t> KeyFileBytes() const;

    std::wstring HistoryName() const;
    std::wstring ExtrasName() const;
    std::wstring JournalName() const;
    std::wstring PictureName(int record) const;
    // The history, extras and journal names of one form (with the key file when sealed).
    static std::vector<std::wstring> FixedNames(bool sealed);

    // Bytes as they are stored, and back; plain forms pass them as they are.
    // Open is false when the bytes are damaged or sealed to another key, kind,
    // id or set.
    std::vector<std::uint8_t> Seal(SealKind kind, std::uint64_t id, const std::vector<std::uint8_t>& plain) const;
    bool Open(SealKind kind, std::uint64_t id, std::vector<std::uint8_t>& bytes) const;
    // The same for a record of an earlier set of this key (kept where it was written).
    std::vector<std::uint8_t> SealIn(std::uint64_t set, SealKind kind, std::uint64_t id,
                                     const std::vector<std::uint8_t>& plain) const;
    bool OpenIn(std::uint64_t set, SealKind kind, std::uint64_t id, std::vector<std::uint8_t>& bytes) const;

    // Journal bytes (its start at offset 0, else one frame) as they go into
    // the file at `offset`, after a frame whose chain is `chain`; `chained`
    // unless they go on a journal of an earlier version.
    std::vector<std::uint8_t> JournalBytesAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset,
                                             std::uint32_t chain, bool chained = true) const;
    // What a journal reader of this form opens payloads with (nothing for the plain form).
    journal::Reader::Opener JournalOpener() const;

private:
    std::shared_ptr<const HistoryKey> m_key;
    std::uint64_t m_set = 0;
    bool m_legacy = false;
    // The last set number taken, shared by every form of this key.
    std::shared_ptr<std::atomic<std::uint64_t>> m_lastSet;
};
