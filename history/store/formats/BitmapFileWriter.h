#pragma once
#include <windows.h>

#include <vector>

// The planes x bits per pixel of the display, which decides the depth of the
// bitmap files written.
int ScreenColorDepth();

// A bitmap as the bytes of a BMP file of exactly 54 + colour table + pixel rows
// bytes, at the depth mapped from a screen of `screenDepth` (planes x bits per
// pixel): 1, 4, 8 or 24 bits. False (and `file` undefined) when there is no
// bitmap or its pixels cannot be read.
bool EncodeBitmapFile(HBITMAP bitmap, int screenDepth, std::vector<BYTE>& file);
