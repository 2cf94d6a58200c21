#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Handles.h"
#include "history/model/EntryFormats.h"

// Names an entry for as long as it lives, across saves and restarts: the
// journal refers to entries by id, never by row.
using EntryId = std::uint64_t;

// A picture entry's device-dependent bitmap and the label the list shows for it.
class EntryPicture {
public:
    EntryPicture(UniqueBitmap bitmap, std::wstring label) : m_bitmap(std::move(bitmap)), m_label(std::move(label)) {}
    HBITMAP Bitmap() const { return m_bitmap.Get(); }
    const std::wstring& Label() const { return m_label; }

private:
    UniqueBitmap m_bitmap;
    std::wstring m_label;
};

// One history entry: a text (the whole of it) with the formats kept beside
// it, or a picture. The contents are shared and never change, so a save
// running beside the popup can hold on to them while the user deletes the entry.
struct HistoryEntry {
    static constexpr size_t kLabelLength = 500;

    EntryId id = 0;
    std::shared_ptr<const std::wstring> text;
    std::shared_ptr<const EntryPicture> picture;
    // When it was copied: UTC, in 100 ns steps since 1601 (a FILETIME); 0 until known.
    std::uint64_t captured = 0;
    // Kept beside the text; null when the copy offered nothing to keep.
    std::shared_ptr<const EntryFormats> formats = nullptr;
    // The copying program marked it as not for cloud clipboards: it never leaves this PC.
    bool keepHere = false;

    bool IsPicture() const { return picture != nullptr; }
    bool IsFiles() const { return formats && formats->Files(); }
    // A text's first 500 characters (never ending inside a surrogate pair), the
    // picture's label, or the label of copied files.
    std::wstring_view Label() const;
};

// The time now, as entries keep their capture time.
std::uint64_t UtcNow();

// A text up to its first NUL (never past `length`).
std::wstring TextUpToNul(const wchar_t* text, size_t length);
