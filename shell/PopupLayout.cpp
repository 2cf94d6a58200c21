#include "shell/PopupLayout.h"

PopupLayout PopupLayout::For(SIZE client, int searchHeight, int buttonHeight)
{
    PopupLayout layout;
    layout.search = {0, 0, client.cx, searchHeight};
    layout.list = {0, searchHeight, client.cx, client.cy - buttonHeight};
    layout.button = {0, client.cy - buttonHeight + 1, client.cx, client.cy + 1};
    layout.columnWidth = client.cx - 20;
    return layout;
}
