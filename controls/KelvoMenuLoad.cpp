// Building a KelvoMenu from a menu resource: every level below the bar is
// owner-drawn, the bar itself stays a plain menu.
#include <vector>

#include "controls/KelvoMenu.h"
#include "controls/MenuTemplateReader.h"
#include "framework/AfxResource.h"

namespace {

// The template of the menu resource `name`: the resource module's, else the program's own.
bool FindMenuTemplate(const wchar_t* name, const BYTE*& data, size_t& size)
{
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    HRSRC resource = FindResourceW(module, name, RT_MENU);
    if (!resource) {
        module = GetModuleHandleW(nullptr);
        resource = FindResourceW(module, name, RT_MENU);
    }
    if (!resource)
        return false;
    HGLOBAL loaded = LoadResource(module, resource);
    data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    size = SizeofResource(module, resource);
    return data != nullptr;
}

}  // namespace

BOOL KelvoMenu::LoadMenu(UINT id)
{
    return LoadMenu(MAKEINTRESOURCEW(LOWORD(id)));
}

BOOL KelvoMenu::LoadMenu(const wchar_t* name)
{
    const BYTE* data = nullptr;
    size_t size = 0;
    if (!FindMenuTemplate(name, data, size))
        return FALSE;

    DestroyMenu();
    if (!Attach(::CreateMenu()))
        return FALSE;
    AppendTemplateItems(data, size);
    MakeBarItemsPlain();
    m_loadedFromResource = TRUE;
    return TRUE;
}

void KelvoMenu::AppendTemplateItems(const BYTE* data, size_t size)
{
    MenuTemplateReader reader(data, size);
    std::vector<KelvoMenu*> menus = {this};
    std::vector<bool> levelEnds = {false};
    while (!menus.empty()) {
        WORD option = 0;
        UINT id = 0;
        std::wstring text;
        if (!reader.ReadItem(option, id, text))
            break;  // a truncated template ends the menu where it stops
        UINT flags = option & ~static_cast<UINT>(MF_END);
        if (option & MF_POPUP) {
            if (option & MF_END)
                levelEnds.back() = true;
            KelvoMenu* popup = NewTemplatePopup();
            menus.back()->AppendItem(text.c_str(), flags, reinterpret_cast<UINT_PTR>(popup->m_hMenu), -1);
            menus.push_back(popup);
            levelEnds.push_back(false);
        } else {
            menus.back()->AppendItem(text.c_str(), flags, id, -1);
            if (option & MF_END)
                levelEnds.back() = true;
            while (!menus.empty() && levelEnds.back()) {
                menus.back()->AlignAccelerators();
                menus.pop_back();
                levelEnds.pop_back();
            }
        }
    }
}

KelvoMenu* KelvoMenu::NewTemplatePopup() const
{
    // The popup object belongs to the menu it is appended to from then on (m_subMenus).
    auto* popup = new KelvoMenu;
    popup->m_checkImages = m_checkImages;
    popup->m_checkImageSelected = m_checkImageSelected;
    popup->m_checkImageNormal = m_checkImageNormal;
    popup->m_dpi = m_dpi;
    popup->Attach(::CreatePopupMenu());
    return popup;
}

void KelvoMenu::MakeBarItemsPlain()
{
    int count = GetMenuItemCount();
    for (int i = 0; i < count && i < GetItemCount(); ++i) {
        KelvoMenuItem* record = m_items[static_cast<size_t>(i)].get();
        if (HMENU submenu = ::GetSubMenu(m_hMenu, i)) {
            record->m_flags = MF_BYPOSITION | MF_POPUP;
            ModifyMenu(static_cast<UINT>(i), record->m_flags, reinterpret_cast<UINT_PTR>(submenu),
                       record->m_text.c_str());
        } else {
            record->m_flags = MF_BYPOSITION | MF_STRING;
            ModifyMenu(static_cast<UINT>(i), record->m_flags, record->m_commandId, record->m_text.c_str());
        }
    }
}
