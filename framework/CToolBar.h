#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/CWnd.h"
#include "framework/GdiObjects.h"

// Control-bar styles (bar placement and borders). They describe the bar, not
// the window, and are kept out of the window style.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_ALL = 0xFF00;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;

// A toolbar built from a toolbar resource (RT_TOOLBAR: version 1, button
// width, height, count, then one command id per button, 0 for a separator)
// and the bitmap of the same id, one image per non-separator button.
class CToolBar : public CWnd {
public:
    CToolBar() = default;
    // The bar's window is its own: it goes with the object.
    ~CToolBar() override;

    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    // Same, for a parent that has no object (for example the desktop window).
    BOOL Create(HWND parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT id);
    BOOL LoadToolBar(const wchar_t* name);

    // Index of the button carrying the command, or -1.
    int CommandToIndex(UINT command) const;
    void GetButtonInfo(int index, UINT& id, UINT& style, int& image) const;
    int GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

private:
    BOOL SetButtons(const std::vector<UINT>& ids);
    BOOL LoadBitmapOf(const wchar_t* name);

    CBitmap m_bitmap;  // the button images; the control draws from it while it exists
    SIZE m_imageSize = {16, 15};
};
