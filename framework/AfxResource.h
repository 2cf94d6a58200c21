#pragma once
#include <windows.h>

// The module that holds a resource: the application's module when it has the
// resource, otherwise the executable's own module.
HINSTANCE AfxFindResourceHandle(const wchar_t* name, const wchar_t* type);

// Entries of a device-independent bitmap's colour table: the used-colours field
// when it is set, else 2, 16 or 256 for 1, 4 or 8 bits per pixel, else none.
DWORD DibColorTableEntries(const BITMAPINFOHEADER& header);

// Loads a bitmap resource of 1, 4 or 8 bits per pixel as a device-compatible bitmap,
// with the standard black, greys and white of its colour table mapped to the
// current button text, shadow, face and highlight colours. With `mono` only
// black and white are kept (everything but black becomes white). Null when the
// resource is not such a bitmap.
HBITMAP AfxLoadSysColorBitmap(HINSTANCE module, HRSRC resource, BOOL mono = FALSE);
