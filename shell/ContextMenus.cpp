#include "shell/ContextMenus.h"

#include "controls/ControlColours.h"
#include "controls/KelvoMenu.h"
#include "framework/CListCtrl.h"
#include "framework/CMenu.h"
#include "framework/Dpi.h"
#include "resource.h"

#include <memory>

namespace {

// The icon menu that is up, while one is; menus are tracked one at a time.
KelvoMenu* trackedMenu = nullptr;

}  // namespace

bool ContextMenus::Track(UINT menuId, UINT flags, POINT screen, HWND owner, UINT checkedId)
{
    const bool drawn = ControlColours::Current().dark;
    std::unique_ptr<CMenu> menu;
    if (drawn) {
        auto drawnMenu = std::make_unique<KelvoMenu>();
        // Drawn to the scale of the monitor it opens on.
        drawnMenu->SetDpi(dpi::OfMonitorAt(screen));
        menu = std::move(drawnMenu);
    } else {
        menu = std::make_unique<CMenu>();
    }
    if (!menu->LoadMenu(menuId))
        return false;
    HMENU popup = ::GetSubMenu(menu->GetSafeHmenu(), 0);
    if (!popup)
        return false;
    if (checkedId)
        ::CheckMenuItem(popup, checkedId, MF_BYCOMMAND | MF_CHECKED);
    trackedMenu = drawn ? static_cast<KelvoMenu*>(menu.get()) : nullptr;
    // Windows dismisses a pop-up menu on a click elsewhere only while its owner
    // is the foreground window; and without a message posted to the owner after
    // the menu closed, the next menu may open and vanish at once.
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(popup, flags, screen.x, screen.y, 0, owner, nullptr);
    trackedMenu = nullptr;
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return true;
}

bool ContextMenus::OnMenuItemMessage(UINT message, LPARAM lParam)
{
    if (!trackedMenu || !lParam)
        return false;
    if (message == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU)
            return false;
        trackedMenu->MeasureItem(item);
        return true;
    }
    if (message != WM_DRAWITEM)
        return false;
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    CMenu* level = item->CtlType == ODT_MENU ? CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(item->hwndItem))
                                             : nullptr;
    if (!level)
        return false;
    level->DrawItem(item);
    return true;
}

bool ContextMenus::ShowTrayMenu(HWND owner, bool paused, const POINT* at)
{
    POINT pointer = {};
    if (at)
        pointer = *at;
    else
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

bool ContextMenus::ShowListMenuAtSelection(const CListCtrl& list, HWND owner)
{
    int row = list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        row = list.GetNextItem(-1, LVNI_FOCUSED);
    if (row < 0)
        return false;
    list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT rect = {};
    rect.left = LVIR_LABEL;
    if (!list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)))
        return false;
    POINT below = {rect.left, rect.bottom};
    list.ClientToScreen(&below);
    return Track(IDR_LIST_MENU, TPM_RIGHTBUTTON, below, owner);
}
