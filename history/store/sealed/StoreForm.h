#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "history/store/sealed/HistoryKey.h"
#include "history/store/journal/JournalFormat.h"

// The form the history's files take in the data folder: plain, under the
// names older versions know, or sealed with the folder's key under names of
// their own, so that an older version never reads them or saves over them.
// The settings file is plain in both.
class StoreForm {
public:
    StoreForm() = default;
    explicit StoreForm(std::shared_ptr<const HistoryKey> key) : m_key(std::move(key)) {}

    bool Sealed() const { return m_key != nullptr; }
    const HistoryKey* Key() const { return m_key.get(); }

    std::wstring HistoryName() const;
    std::wstring ExtrasName() const;
    std::wstring JournalName() const;
    std::wstring PictureName(int record) const;
    // The history, extras and journal names of one form (with the key file when sealed).
    static std::vector<std::wstring> FixedNames(bool sealed);

    // A whole file's bytes as they are stored, and back; plain forms pass them
    // as they are. Open is false when the bytes are damaged or sealed with another key.
    std::vector<std::uint8_t> Seal(SealKind kind, std::uint64_t id, const std::vector<std::uint8_t>& plain) const;
    bool Open(SealKind kind, std::uint64_t id, std::vector<std::uint8_t>& bytes) const;

    // Journal bytes (its start at offset 0, else one frame) as they go into the file at `offset`.
    std::vector<std::uint8_t> JournalBytesAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset) const;
    // What a journal reader of this form opens payloads with (nothing for the plain form).
    journal::Reader::Opener JournalOpener() const;

private:
    std::shared_ptr<const HistoryKey> m_key;
};
