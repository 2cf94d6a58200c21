#include "shell/ContextMenus.h"

#include "framework/CListCtrl.h"
#include "framework/CMenu.h"
#include "resource.h"

bool ContextMenus::Track(UINT menuId, UINT flags, POINT screen, HWND owner, UINT checkedId)
{
    CMenu menu;
    if (!menu.LoadMenu(menuId))
        return false;
    HMENU popup = ::GetSubMenu(menu.GetSafeHmenu(), 0);
    if (!popup)
        return false;
    if (checkedId)
        ::CheckMenuItem(popup, checkedId, MF_BYCOMMAND | MF_CHECKED);
    // Windows dismisses a pop-up menu on a click elsewhere only while its owner
    // is the foreground window; and without a message posted to the owner after
    // the menu closed, the next menu may open and vanish at once.
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(popup, flags, screen.x, screen.y, 0, owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return true;
}

bool ContextMenus::ShowTrayMenu(HWND owner, bool paused)
{
    POINT pointer = {};
    ::GetCursorPos(&pointer);
    return Track(IDR_TRAY_MENU, 0, pointer, owner, paused ? ID_MENU_PAUSE : 0);
}

bool ContextMenus::ShowListMenu(const CListCtrl& list, POINT screen, HWND owner)
{
    POINT client = screen;
    list.ScreenToClient(&client);
    // No menu below the last entry: the commands act on entries.
    if (list.HitTest(client) < 0)
        return false;
    return Track(IDR_LIST_MENU, TPM_RIGHTBUTTON, screen, owner);
}

bool ContextMenus::OnListRightClick(const CListCtrl& list, HWND owner)
{
    POINT pointer = {};
    ::GetCursorPos(&pointer);
    return ShowListMenu(list, pointer, owner);
}
