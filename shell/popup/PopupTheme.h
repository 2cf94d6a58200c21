#pragma once
#include <windows.h>
#include <commctrl.h>

#include "controls/ImageButton.h"
#include "shell/SystemTheme.h"
#include "shell/popup/PopupDpi.h"
#include "shell/popup/PreviewController.h"

// Dresses the popup's windows in the system's theme and follows it live: the
// ground, the list (rows, selection, scroll bars), the search field, the "<>"
// strip, the caption and the corners. In light and high-contrast modes every
// window keeps the colours it had before any theme was applied.
class PopupTheme {
public:
    struct Windows {
        HWND popup;
        HWND list;
        HWND search;
        CImageButton* strip;
        PopupDpi* dpi;
        PreviewController* preview;
    };

    // Once the popup's controls exist; notes their colours and applies the theme.
    void Attach(const Windows& windows);
    // The theme's messages to the popup: settings changes and WM_CTLCOLOR*.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The list's NM_CUSTOMDRAW: selected rows in the palette's selection colours.
    bool OnListCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) const;

private:
    void Apply();
    void ApplyList();
    void ApplyStrip();

    SystemTheme m_system;
    Windows m_windows = {};
    // The list's own colours, put back in light mode.
    COLORREF m_listBack = CLR_DEFAULT;
    COLORREF m_listText = CLR_DEFAULT;
    COLORREF m_listTextBack = CLR_DEFAULT;
    bool m_wasDark = false;
};
