#pragma once
#include "framework/Handles.h"
#include "history/model/EntryFormats.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What a capture thread has read of one copy so far.
struct CopyDraft {
    DWORD sequence = 0;  // the clipboard's sequence number while it was read
    bool textOffered = false;
    std::wstring text;
    EntryFormats formats;
    bool keepHere = false;  // marked as not for cloud clipboards: never shared
    // A file list offered without a text and too large to keep as a format:
    // read for its paths alone.
    std::vector<std::uint8_t> largeFileList;
};

// One copy read from the clipboard, as the history takes it: a text with what
// it keeps beside it, or a picture.
struct CapturedCopy {
    DWORD sequence = 0;
    std::wstring text;
    std::shared_ptr<const EntryFormats> formats;  // null when there is nothing beside the text
    UniqueBitmap picture;
    std::wstring pictureLabel;
    bool keepHere = false;

    // The draft as an entry: a file list labels it, and is its text when the
    // copy came without one; an empty text that kept formats is labelled by
    // them. Nothing when the copy yields no entry.
    static std::optional<CapturedCopy> Settle(CopyDraft draft);
};
