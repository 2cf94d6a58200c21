#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"

// What another program puts on the clipboard in one copy: each format's bytes.
class ClipboardCopy {
public:
    struct Format {
        UINT id;
        std::string bytes;
    };
    // The formats' memory blocks, made before a copy so that a timer can leave them out.
    using Blocks = std::vector<std::pair<UINT, UniqueGlobal>>;

    explicit ClipboardCopy(std::vector<Format> formats) : m_formats(std::move(formats)) {}
    // The text as CF_UNICODETEXT, its NUL included.
    static ClipboardCopy OfText(const std::wstring& text);
    ClipboardCopy& Add(const wchar_t* registeredName, std::string bytes);

    // Empty when memory runs out.
    Blocks MakeBlocks() const;
    // Opens the clipboard for `owner` (waiting up to `timeoutMs` while another
    // program holds it), empties it and hands it the blocks. False when it
    // stayed closed or a block was refused.
    static bool Place(HWND owner, Blocks& blocks, double timeoutMs);

private:
    std::vector<Format> m_formats;
};
