#pragma once
#include <windows.h>

#include "framework/CRuntimeClass.h"
#include "framework/CString.h"

class CWnd;

// A menu object. A CMenu owns the menu attached to it and destroys it with
// itself, unless it was detached first. Attached menus are found again from
// their handle (FromHandlePermanent); FromHandle also wraps a foreign handle
// in a temporary object that lives until DeleteTempMap.
//
// CreateMenu, CreatePopupMenu and LoadMenu on an object that already holds a
// menu replace it: when the new menu is made, the old one is destroyed
// (through the virtual DestroyMenu, so it must not be in use by a window or a
// shown menu then); when it cannot be made, the object keeps the old one.
class CMenu {
public:
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    static const CRuntimeClass classCMenu;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCMenu; }
    bool IsKindOf(const CRuntimeClass* record) const { return GetRuntimeClass()->IsDerivedFrom(record); }

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    static CMenu* FromHandlePermanent(HMENU menu);
    static CMenu* FromHandle(HMENU menu);
    static void DeleteTempMap();

    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreateMenu() { return Replace(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Replace(::CreatePopupMenu()); }
    virtual BOOL LoadMenu(UINT id);
    virtual BOOL LoadMenu(const wchar_t* name);
    virtual BOOL DestroyMenu();

    // `item` is the text, or the item data of an owner-drawn item.
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const wchar_t* item = nullptr)
    {
        return ::AppendMenuW(m_hMenu, flags, id, item);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const wchar_t* item = nullptr)
    {
        return ::InsertMenuW(m_hMenu, position, flags, id, item);
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, const wchar_t* item = nullptr)
    {
        return ::ModifyMenuW(m_hMenu, position, flags, id, item);
    }
    // Gives the owner-drawn item at `position` its words, where GetMenuString and
    // screen readers look for them; its item data (what it is drawn from) stays.
    BOOL SetItemWords(UINT position, const wchar_t* text);
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    UINT CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }
    UINT EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(m_hMenu, item, enable); }

    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
    int GetMenuString(UINT item, wchar_t* text, int maxCount, UINT flags) const
    {
        return ::GetMenuStringW(m_hMenu, item, text, maxCount, flags);
    }
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    BOOL GetMenuItemInfo(UINT item, MENUITEMINFOW* info, BOOL byPosition = FALSE) const
    {
        return ::GetMenuItemInfoW(m_hMenu, item, byPosition, info);
    }
    // The object for the popup at a position (a temporary wrapper unless one is attached), or null.
    CMenu* GetSubMenu(int position) const { return FromHandle(::GetSubMenu(m_hMenu, position)); }

    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* ignored = nullptr);

    // Owner-draw hooks of the menu's items.
    virtual void MeasureItem(MEASUREITEMSTRUCT* item);
    virtual void DrawItem(DRAWITEMSTRUCT* item);

    struct MapTraits;

protected:
    // Holds a newly made menu in place of the old one (destroyed); FALSE, keeping the old one, for null.
    BOOL Replace(HMENU made);

private:
    bool m_temporary = false;
};
