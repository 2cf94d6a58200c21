#pragma once
#include <windows.h>
#include <commctrl.h>

#include "controls/ImageButton.h"
#include "shell/SystemTheme.h"
#include "shell/popup/PreviewController.h"
#include "shell/popup/SearchField.h"

// Dresses the popup's windows in the system's theme and follows it live: the
// ground, the list (rows, selection, scroll bars), the search field and its
// hint, the "<>" strip, the preview, the caption and the corners. Every colour
// comes from the palette of the moment, which light and high-contrast modes
// read from the system at each change: nothing keeps a colour read at start.
class PopupTheme {
public:
    struct Windows {
        HWND popup;
        HWND list;
        CSearchField* search;
        CImageButton* strip;
        PreviewController* preview;
    };

    // Once the popup's controls exist; applies the theme.
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
    bool m_wasDark = false;
};
