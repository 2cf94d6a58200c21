#include "framework/CMenu.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/AfxResource.h"
#include "framework/CWnd.h"

namespace {

// Menu objects are used on the thread that owns the windows showing them.
thread_local std::unordered_map<HMENU, CMenu*> t_permanent;
thread_local std::unordered_map<HMENU, std::unique_ptr<CMenu>> t_temporary;

}  // namespace

const CRuntimeClass CMenu::classCMenu = {"CMenu", nullptr, 0xFFFF};

CMenu::~CMenu()
{
    if (m_temporary)
        return;
    CMenu::DestroyMenu();
}

CMenu* CMenu::FromHandlePermanent(HMENU menu)
{
    if (!menu)
        return nullptr;
    auto found = t_permanent.find(menu);
    return found == t_permanent.end() ? nullptr : found->second;
}

CMenu* CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    if (CMenu* attached = FromHandlePermanent(menu))
        return attached;
    auto& slot = t_temporary[menu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = menu;
        slot->m_temporary = true;
    }
    return slot.get();
}

void CMenu::DeleteTempMap()
{
    for (auto& entry : t_temporary)
        entry.second->m_hMenu = nullptr;
    t_temporary.clear();
}

BOOL CMenu::Attach(HMENU menu)
{
    if (!menu || m_hMenu)
        return FALSE;
    m_hMenu = menu;
    t_permanent[menu] = this;
    auto temporary = t_temporary.find(menu);
    if (temporary != t_temporary.end()) {
        temporary->second->m_hMenu = nullptr;
        t_temporary.erase(temporary);
    }
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU menu = m_hMenu;
    if (!menu)
        return nullptr;
    auto found = t_permanent.find(menu);
    if (found != t_permanent.end() && found->second == this)
        t_permanent.erase(found);
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::LoadMenu(UINT id)
{
    return LoadMenu(MAKEINTRESOURCEW(id));
}

BOOL CMenu::LoadMenu(const wchar_t* name)
{
    return Attach(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
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
