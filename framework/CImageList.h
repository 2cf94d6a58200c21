#pragma once
#include <windows.h>
#include <commctrl.h>

// Owner of an image list.
class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    COLORREF SetBkColor(COLORREF colour) { return ImageList_SetBkColor(m_hImageList, colour); }
    // Appends (index -1) or replaces an image with the icon; returns its index or -1.
    int ReplaceIcon(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
    int Add(HICON icon) { return ReplaceIcon(-1, icon); }
    int AddMasked(HBITMAP bitmap, COLORREF mask) { return ImageList_AddMasked(m_hImageList, bitmap, mask); }
    HICON ExtractIcon(int index, UINT flags = ILD_NORMAL) const { return ImageList_GetIcon(m_hImageList, index, flags); }
    BOOL Draw(HDC dc, int index, POINT at, UINT style) const
    {
        return ImageList_Draw(m_hImageList, index, dc, at.x, at.y, style);
    }

private:
    HIMAGELIST m_hImageList = nullptr;
};
