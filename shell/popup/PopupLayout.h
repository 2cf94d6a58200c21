#pragma once
#include <windows.h>

// Where the popup's controls go for a client area: the search field along the
// top, the list below it, the "<>" strip along the bottom (one pixel below the
// list), all the full width; the list's one column narrower by 20 pixels at
// 96 DPI, room for the scroll bar, which grows with the DPI.
struct PopupLayout {
    RECT search;
    RECT list;
    RECT button;
    int columnWidth;

    static PopupLayout For(SIZE client, int searchHeight, int buttonHeight, UINT dpi);
};
