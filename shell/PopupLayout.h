#pragma once
#include <windows.h>

// Where the popup's controls go for a client area: the search field along the
// top, the list below it, the "<>" strip along the bottom (one pixel below the
// list), all the full width; the list's one column 20 pixels narrower.
struct PopupLayout {
    RECT search;
    RECT list;
    RECT button;
    int columnWidth;

    static PopupLayout For(SIZE client, int searchHeight, int buttonHeight);
};
