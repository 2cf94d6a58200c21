#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The planes x bits per pixel of the display, which decides the depth of the
// bitmap files written.
int ScreenColorDepth();

// Writes a bitmap as a BMP file of exactly 54 + colour table + pixel rows
// bytes, at the depth mapped from the screen's: 1, 4, 8 or 24 bits. Written
// through a temporary file: on FALSE (no bitmap, pixels unreadable, file not
// writable) an older file of that name stays as it was.
BOOL SaveBitmapFile(HBITMAP bitmap, const std::wstring& path);

// The same for a screen of the given depth (planes x bits per pixel).
BOOL SaveBitmapFileForScreenDepth(HBITMAP bitmap, const std::wstring& path, int screenDepth);

// The bytes of that file; false (and `file` undefined) when the pixels cannot be read.
bool EncodeBitmapFile(HBITMAP bitmap, int screenDepth, std::vector<BYTE>& file);
