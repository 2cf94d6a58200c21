#include "shell/popup/PopupLayout.h"

#include "framework/Dpi.h"

PopupLayout PopupLayout::For(SIZE client, int searchHeight, int buttonHeight, UINT dpi)
{
    PopupLayout layout;
    layout.search = {0, 0, client.cx, searchHeight};
    layout.list = {0, searchHeight, client.cx, client.cy - buttonHeight};
    layout.button = {0, client.cy - buttonHeight + 1, client.cx, client.cy + 1};
    layout.columnWidth = client.cx - dpi::Scale(20, dpi);
    return layout;
}
