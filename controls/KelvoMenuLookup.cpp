// Finding items of a KelvoMenu: command search, item texts, the mnemonic
// lookup for WM_MENUCHAR and resynchronising the records with the live menu.
#include "controls/KelvoMenu.h"

#include <algorithm>

CMenu* KelvoMenu::FindCommandIn(HMENU menu, UINT id, int& position)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        if (HMENU submenu = ::GetSubMenu(menu, i)) {
            if (CMenu* found = FindCommandIn(submenu, id, position))
                return found;
        } else if (::GetMenuItemID(menu, i) == id) {
            position = i;
            return CMenu::FromHandle(menu);
        }
    }
    position = -1;
    return nullptr;
}

CMenu* KelvoMenu::FindCommand(UINT id, int& position) const
{
    return FindCommandIn(m_hMenu, id, position);
}

BOOL KelvoMenu::GetItemText(UINT idOrPosition, CString& text, UINT how) const
{
    if (how & MF_BYPOSITION) {
        if (idOrPosition >= m_items.size())
            return FALSE;
        text = m_items[idOrPosition]->GetText();
        return TRUE;
    }
    int position = -1;
    CMenu* level = FindCommand(idOrPosition, position);
    if (!level || !level->IsKindOf(&classKelvoMenu))
        return FALSE;
    return static_cast<const KelvoMenu*>(level)->GetItemText(static_cast<UINT>(position), text, MF_BYPOSITION);
}

void KelvoMenu::Resync()
{
    // A claimed record moves out of its slot at once, so no record is claimed
    // twice; whatever is left in m_items at the end belongs to no item any more.
    auto claim = [this](UINT_PTR id) -> std::unique_ptr<KelvoMenuItem> {
        for (auto& record : m_items) {
            if (record && record->m_commandId == id)
                return std::move(record);
        }
        return nullptr;
    };

    std::vector<std::unique_ptr<KelvoMenuItem>> rebuilt;
    for (int j = 0; j < GetMenuItemCount(); ++j) {
        UINT position = static_cast<UINT>(j);
        UINT state = GetMenuState(position, MF_BYPOSITION);
        CString text;
        GetMenuString(position, text, MF_BYPOSITION);
        std::unique_ptr<KelvoMenuItem> record;
        if (HMENU submenu = ::GetSubMenu(m_hMenu, j)) {
            UINT_PTR key = reinterpret_cast<UINT_PTR>(submenu);
            record = claim(key);
            if (!record)
                record = ReplaceItemAt(j, (state & 0xEF) | MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP, key, text);
            else if (!text.IsEmpty())
                record->SetWideText(text);
        } else if (state & MF_SEPARATOR) {
            record = claim(0);
            if (!record)
                record = ReplaceItemAt(j, state | MF_BYPOSITION | MF_OWNERDRAW | MF_SEPARATOR, 0, CString());
            else
                ModifyMenu(position, record->m_flags | MF_BYPOSITION, 0, reinterpret_cast<const wchar_t*>(record.get()));
        } else {
            UINT id = GetMenuItemID(j);
            record = claim(id);
            if (!record) {
                record = ReplaceItemAt(j, state | MF_BYPOSITION | MF_OWNERDRAW, id, text);
            } else {
                record->m_flags = state | MF_BYPOSITION | MF_OWNERDRAW;
                if (!text.IsEmpty())
                    record->SetWideText(text);
                if (ModifyMenu(position, record->m_flags, id, reinterpret_cast<const wchar_t*>(record.get())))
                    SetItemWords(position, record->m_text.c_str());
            }
        }
        rebuilt.push_back(std::move(record));
    }
    m_items = std::move(rebuilt);
}

LRESULT KelvoMenu::MenuCharLookup(UINT character, UINT flags, CMenu* menu)
{
    if (!menu || !(flags & MF_POPUP) || !menu->IsKindOf(&classKelvoMenu))
        return 0;
    auto* own = static_cast<KelvoMenu*>(menu);
    CString key;
    key += L'&';
    key += static_cast<wchar_t>(character);
    key.MakeLower();

    int count = own->GetMenuItemCount();
    if (count != own->GetItemCount())
        own->Resync();
    for (int i = 0; i < count; ++i) {
        CString text;
        if (!own->GetItemText(static_cast<UINT>(i), text, MF_BYPOSITION))
            continue;
        text.MakeLower();
        if (text.Find(key) >= 0)
            return MAKELRESULT(i, MNC_EXECUTE);
    }
    return 0;
}

BOOL KelvoMenu::IsOwnMenu(HMENU menu)
{
    return menu && std::find(s_subMenuHandles.begin(), s_subMenuHandles.end(), menu) != s_subMenuHandles.end();
}

BOOL KelvoMenu::IsOwnMenu(const CMenu* menu)
{
    return menu && IsOwnMenu(menu->m_hMenu);
}
