#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "history/model/EntryFormats.h"

// Where a save wrote an entry's formats: reads them back when they are pasted.
class FormatsPlace {
public:
    // Damaged: the bytes on the disk do not check out, and never will. Unreadable:
    // they could not be read now (another program holds the file, the device
    // faltered), and a save must not take them for gone.
    enum class Outcome { Read, Damaged, Unreadable };

    virtual ~FormatsPlace() = default;
    // The kept formats with their bytes.
    virtual Outcome Read(std::vector<KeptFormat>& kept) const = 0;
};

// The bytes of an entry's kept formats: in memory from the copy until a save
// has written them, then only on disk, so that a long history of formatted
// copies costs no more memory than its texts. Shared by the popup and the
// saving thread, so every call is safe from either.
class FormatsShelf {
public:
    // Shared, never copied: a paste or a save reads them while a copy may drop them.
    using Kept = std::shared_ptr<const std::vector<KeptFormat>>;

    explicit FormatsShelf(std::vector<KeptFormat> kept)
        : m_kept(std::make_shared<const std::vector<KeptFormat>>(std::move(kept)))
    {
    }
    explicit FormatsShelf(std::shared_ptr<const FormatsPlace> place) : m_place(std::move(place)) {}
    FormatsShelf(const FormatsShelf&) = delete;
    FormatsShelf& operator=(const FormatsShelf&) = delete;

    // Null when they cannot be read (`outcome` says why). Safe beside a save
    // moving them: the shelf is never locked while its place is read.
    Kept Take(FormatsPlace::Outcome* outcome = nullptr) const;
    // Where they lie on disk; null while they are in memory.
    std::shared_ptr<const FormatsPlace> Place() const;
    // A save wrote them there: the bytes in memory go.
    void MoveTo(std::shared_ptr<const FormatsPlace> place);
    bool InMemory() const;

private:
    mutable std::mutex m_mutex;
    Kept m_kept;
    std::shared_ptr<const FormatsPlace> m_place;
};

// The formats as the list holds them: the names, the label and the file list,
// with the other bytes on a shelf.
std::shared_ptr<const EntryFormats> Shelved(EntryFormats whole);
// Every kept format's bytes of `formats`, from memory or from disk, without a
// copy of them; null when they cannot be read.
FormatsShelf::Kept KeptBytes(const std::shared_ptr<const EntryFormats>& formats);
