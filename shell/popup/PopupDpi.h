#pragma once
#include <windows.h>

#include <initializer_list>

#include "framework/CImageList.h"
#include "framework/CListCtrl.h"
#include "framework/Handles.h"

// What of the popup follows the DPI of the monitor it is on: the list's icons,
// the font of its controls and the heights of the search field and the "<>"
// strip. The heights and the font are kept as the template made them, at the
// DPI the popup was made at, and scaled from there: moving between monitors
// and back gives the same pixels again. The font and the heights also follow
// the system's text size (TextScale), so the rows grow with the text.
class PopupDpi {
public:
    // The entry icons' size: 16 pixels at 96 DPI.
    static int IconSize(UINT dpi);

    explicit PopupDpi(CImageList& icons) : m_icons(icons) {}

    // The entry icons at the DPI the popup is made at (from WM_CREATE).
    void BuildIcons(HWND popup);
    // The template's heights and font, once its controls exist.
    void TakeMeasures(HWND popup, HWND search, HWND button);
    // WM_DPICHANGED: the list gets icons of the new size, the controls a font.
    void Change(UINT dpi, CListCtrl& list, std::initializer_list<HWND> controls);
    // The system's text size now; true when it changed, the controls then have a font of the new size.
    bool FollowTextScale(std::initializer_list<HWND> controls);
    int TextScalePercent() const { return m_textScale; }

    UINT Dpi() const { return m_dpi; }
    // The controls' font: the template's until the DPI or the text size first changes.
    HFONT Font() const { return m_font ? m_font.Get() : m_madeFontHandle; }
    int SearchHeight() const;
    int ButtonHeight() const;

private:
    void FillIcons();
    // A font of the template's face at the DPI and text size now, given to the controls.
    void ApplyFont(std::initializer_list<HWND> controls);
    int Scaled(int madeHeight) const;

    CImageList& m_icons;
    UINT m_dpi = 96;
    UINT m_madeDpi = 96;
    int m_textScale = 100;
    int m_searchHeight = 0;
    int m_buttonHeight = 0;
    LOGFONTW m_madeFont = {};
    HFONT m_madeFontHandle = nullptr;  // the dialog's, not ours
    UniqueFont m_font;
};
