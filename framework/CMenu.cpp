#include "framework/CMenu.h"

#include <vector>

#include "framework/AfxResource.h"
#include "framework/CWnd.h"
#include "framework/HandleMap.h"

struct CMenu::MapTraits {
    static std::unique_ptr<CMenu> Wrap(HMENU menu)
    {
        auto wrapper = std::make_unique<CMenu>();
        wrapper->m_hMenu = menu;
        wrapper->m_temporary = true;
        return wrapper;
    }
    static void Forget(CMenu& wrapper) { wrapper.m_hMenu = nullptr; }
};

// Menu objects are used on the thread that owns the windows showing them.
static thread_local HandleMap<HMENU, CMenu, CMenu::MapTraits> t_menus;

const CRuntimeClass CMenu::classCMenu = {"CMenu", nullptr, 0xFFFF};

CMenu::~CMenu()
{
    if (m_temporary)
        return;
    CMenu::DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU menu)
{
    return menu ? t_menus.Find(menu) : nullptr;
}

CMenu* CMenu::FromHandle(HMENU menu)
{
    return menu ? t_menus.FindOrWrap(menu) : nullptr;
}

void CMenu::DeleteTempMap()
{
    t_menus.DropTemporaries();
}

BOOL CMenu::Attach(HMENU menu)
{
    if (!menu || m_hMenu)
        return FALSE;
    m_hMenu = menu;
    t_menus.Add(menu, this);
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU menu = m_hMenu;
    if (!menu)
        return nullptr;
    t_menus.Remove(menu, this);
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::Replace(HMENU made)
{
    if (!made)
        return FALSE;
    DestroyMenu();
    return Attach(made);
}

BOOL CMenu::LoadMenu(UINT id)
{
    return LoadMenu(MAKEINTRESOURCEW(id));
}

BOOL CMenu::LoadMenu(const wchar_t* name)
{
    return Replace(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const
{
    text.Empty();
    int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    if (length <= 0)
        return 0;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetMenuStringW(m_hMenu, item, buffer.data(), length + 1, flags);
    text = CString(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
    return copied;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* ignored)
{
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, ignored);
}

void CMenu::MeasureItem(MEASUREITEMSTRUCT*)
{
}

void CMenu::DrawItem(DRAWITEMSTRUCT*)
{
}

BOOL CMenu::SetItemWords(UINT position, const wchar_t* text)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text ? text : L"");
    return ::SetMenuItemInfoW(m_hMenu, position, TRUE, &info);
}
