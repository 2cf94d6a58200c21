#pragma once
#include <windows.h>

class CListCtrl;

// The program's two ordinary pop-up menus, loaded from the resources for each
// use and destroyed afterwards. The owner is made the foreground window while
// a menu is up and gets a WM_NULL after it, as Windows needs for the menu to
// close on a click elsewhere. The chosen command reaches the owner window as
// WM_COMMAND once the menu has closed. In dark mode the menus draw their items
// themselves (owner-drawn icon menus) from the controls' palette, which the
// system's own menus would not take.
class ContextMenus {
public:
    // Shows the first pop-up of menu resource `menuId` at a screen point; false
    // when the menu or its pop-up is missing and nothing was shown.
    // With `checkedId`, that command shows a tick.
    static bool Track(UINT menuId, UINT flags, POINT screen, HWND owner, UINT checkedId = 0);

    // The tray menu at the pointer (or at `at`, where the keyboard opened it),
    // left-aligned, chosen with the left button; "Pause recording" ticked while
    // recording is paused.
    static bool ShowTrayMenu(HWND owner, bool paused = false, const POINT* at = nullptr);

    // The list's context menu at a screen point, offered only when an entry lies
    // under it; either mouse button chooses.
    static bool ShowListMenu(const CListCtrl& list, POINT screen, HWND owner);
    // The same at the pointer: the list's right-click notification.
    static bool OnListRightClick(const CListCtrl& list, HWND owner);
    // The list's context menu from the keyboard (the Menu key, Shift+F10): below
    // the selected entry, or the focused one; false when there is none.
    static bool ShowListMenuAtSelection(const CListCtrl& list, HWND owner);

    // The owner's WM_MEASUREITEM and WM_DRAWITEM for the items of the menu that is up.
    static bool OnMenuItemMessage(UINT message, LPARAM lParam);
};
