#pragma once
#include "framework/CWnd.h"

#include <commctrl.h>

class CImageList;

// Wrapper over a list-view control.
class CListCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // Inserts an item with the given mask, text, state and image; returns its index or -1.
    int InsertItem(UINT mask, int item, const wchar_t* text, UINT state, UINT stateMask, int image, LPARAM param);
    BOOL SetItem(int item, int subItem, UINT mask, const wchar_t* text, int image, UINT state, UINT stateMask,
                 LPARAM param);
    LPARAM GetItemData(int item) const;
    BOOL SetItemData(int item, LPARAM data);
    CString GetItemText(int item, int subItem) const;
    int GetItemImage(int item) const;
    BOOL DeleteItem(int item) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetNextItem(int start, int flags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    UINT GetItemState(int item, UINT mask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
    }
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    DWORD SetExtendedStyle(DWORD style)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
    }
    // The control only uses the list: it is made to share its image lists
    // (LVS_SHAREIMAGELISTS), so the CImageList stays the one owner and frees it.
    HIMAGELIST SetImageList(CImageList* images, int which);
    int InsertColumn(int column, const wchar_t* heading, int format, int width);
    BOOL SetColumnWidth(int column, int width)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
    }
    int GetColumnWidth(int column) const
    {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    int HitTest(POINT point, UINT* flags = nullptr) const;
};
