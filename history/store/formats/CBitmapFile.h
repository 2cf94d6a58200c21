#pragma once
#include <windows.h>

#include <cstddef>

#include "framework/CFile.h"
#include "framework/GdiObjects.h"
#include "history/store/disk/FileSystem.h"

// Loads the BMP files of bitmap history entries as screen-compatible bitmaps.
// Accepts uncompressed (and bit-field) BMPs with a 40-byte info header and a
// colour table of the expected size; refuses anything else, including files
// whose pixel block is shorter than the picture needs.
class CBitmapFile : public CBitmap {
public:
    // A new bitmap compatible with the screen, owned by the caller (free it with
    // DeleteObject), or NULL. The object itself keeps nothing. Every path closes
    // the file and frees what it allocated. With `readError`, a file that exists
    // but could not be opened, or a bitmap that could not be made for now, sets
    // the reason there; a missing or refused file leaves it alone.
    HBITMAP LoadFromFile(const wchar_t* path, DWORD* readError = nullptr,
                         disk::FileSystem& files = disk::SystemFiles());
    // The same checks and conversion for the bytes of a BMP file held in memory.
    static HBITMAP LoadFromMemory(const BYTE* bytes, size_t size);

    // Each of these restores the file position it found.
    static BOOL CheckBmpHeaders(CFile& file);
    // The bytes from offset 14 up to the pixel offset, in a malloc block with a
    // zero tail up to kBmpInfoBlockMinimum bytes; free it with free(). NULL on failure.
    static void* ReadBmpInfo(CFile& file);
    // The bytes from the pixel offset to the end of the file (malloc, free with free()); NULL on failure.
    static void* ReadBmpBits(CFile& file);

    static WORD ColorTableEntries(const BITMAPINFOHEADER& info);
    static WORD ColorTableBytes(const BITMAPINFOHEADER& info);

    // Without a block: a zero-filled block of size bytes, NULL when size is 0 or
    // memory runs out. With a block: a new zero-filled block of size bytes (of
    // the old block's size when size is 0) holding as many leading bytes of the
    // old block as fit; the old block stays the caller's.
    static void* DuplicateBlock(const void* block, size_t size);
};
