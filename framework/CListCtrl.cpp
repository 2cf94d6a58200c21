#include "framework/CListCtrl.h"

#include "framework/CImageList.h"

#include <vector>

int CListCtrl::InsertItem(UINT mask, int item, const wchar_t* text, UINT state, UINT stateMask, int image,
                          LPARAM param)
{
    LVITEMW lv = {};
    lv.mask = mask;
    lv.iItem = item;
    lv.pszText = const_cast<wchar_t*>(text);
    lv.state = state;
    lv.stateMask = stateMask;
    lv.iImage = image;
    lv.lParam = param;
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv)));
}

BOOL CListCtrl::SetItem(int item, int subItem, UINT mask, const wchar_t* text, int image, UINT state,
                        UINT stateMask, LPARAM param)
{
    LVITEMW lv = {};
    lv.mask = mask;
    lv.iItem = item;
    lv.iSubItem = subItem;
    lv.pszText = const_cast<wchar_t*>(text);
    lv.iImage = image;
    lv.state = state;
    lv.stateMask = stateMask;
    lv.lParam = param;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv)));
}

LPARAM CListCtrl::GetItemData(int item) const
{
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (!SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv)))
        return 0;
    return lv.lParam;
}

BOOL CListCtrl::SetItemData(int item, LPARAM data)
{
    return SetItem(item, 0, LVIF_PARAM, nullptr, 0, 0, 0, data);
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    // The control copies at most the buffer's size, so grow until the text fits.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        LVITEMW lv = {};
        lv.iSubItem = subItem;
        lv.pszText = buffer.data();
        lv.cchTextMax = static_cast<int>(buffer.size());
        int length = static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                                  reinterpret_cast<LPARAM>(&lv)));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= (1u << 20))
            return CString(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
        buffer.resize(buffer.size() * 2);
    }
}

int CListCtrl::GetItemImage(int item) const
{
    LVITEMW lv = {};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    if (!SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv)))
        return -1;
    return lv.iImage;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMW lv = {};
    lv.state = state;
    lv.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
}

HIMAGELIST CListCtrl::SetImageList(CImageList* images, int which)
{
    // Without the style the control destroys the list with itself, and the
    // CImageList would destroy it a second time.
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which),
                                                    reinterpret_cast<LPARAM>(images ? images->GetSafeHandle() : nullptr)));
}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width)
{
    LVCOLUMNW lv = {};
    lv.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    lv.fmt = format;
    lv.cx = width;
    lv.pszText = const_cast<wchar_t*>(heading);
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lv)));
}

int CListCtrl::HitTest(POINT point, UINT* flags) const
{
    LVHITTESTINFO info = {};
    info.pt = point;
    int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return item;
}
