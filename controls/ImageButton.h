#pragma once
#include <windows.h>

#include "controls/KelvoMenu.h"
#include "framework/CButton.h"
#include "framework/CDC.h"
#include "framework/CToolTipCtrl.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"

// An owner-drawn push button, flat (a thin frame shows while the pointer is
// over it, sunken while pressed) or with a three-dimensional edge, in six
// state colours. It can show an icon or a bitmap beside or above its caption,
// drop down an icon menu or open a shell target when clicked, and act as a
// two-state check box. A click still reaches the parent as BN_CLICKED.
class CImageButton : public CButton {
public:
    enum StateColor : BYTE {
        ActiveFace = 0,
        ActiveText = 1,
        RestFace = 2,
        RestText = 3,
        FocusFace = 4,
        FocusText = 5,
        StateColorCount = 6
    };
    enum ImageAlign : BYTE { ImageLeft = 0, ImageTop = 1, ImageRight = 2 };

    CImageButton();
    ~CImageButton() override;

    // 3 (and no change) for an index of 6 or more, else 0.
    int SetStateColor(BYTE index, COLORREF colour, BOOL repaint = TRUE);
    COLORREF GetStateColor(BYTE index) const { return index < StateColorCount ? m_colors[index] : CLR_INVALID; }
    int ResetStateColors(BOOL repaint = TRUE);
    int SetChecked(BOOL checked, BOOL repaint = TRUE);
    BOOL IsChecked() const { return m_checked; }
    // The shell target opened on a click (at most MAX_PATH - 1 characters are kept).
    int SetTarget(const wchar_t* text);
    const wchar_t* GetTarget() const { return m_target; }
    void FreeImages(BOOL destroy);
    void EndHover();
    void EnsureTooltip();

    // Settings; this program keeps the construction values.
    // Takes the icons (rest may be null: the active icon is then used at rest too).
    void SetIcons(HICON active, HICON rest = nullptr);
    // Takes the bitmaps; `transparent` is the colour their masks leave out.
    void SetBitmaps(HBITMAP active, COLORREF transparent, HBITMAP rest = nullptr);
    void SetFlat(BOOL flat, BOOL repaint = TRUE);
    void SetTransparent(BOOL transparent) { m_transparent = transparent; }
    void SetAlign(BYTE align, BOOL repaint = TRUE);
    void SetHoverFrame(BOOL draw) { m_drawHoverFrame = draw; }
    void SetFlatFocus(BOOL draw, BOOL repaint = TRUE);
    void SetHoverAnywhere(BOOL anywhere) { m_hoverAnywhere = anywhere; }
    void SetDisabledBitmapLook(BOOL embossed) { m_embossDisabledBitmap = embossed; }
    // Loads the icon menu whose first popup drops down on a click; chosen commands go to `target`.
    BOOL SetMenu(UINT menuId, HWND target);
    // Takes the cursor shown over the button.
    void SetCursor(HCURSOR cursor);
    void SetTooltipText(const wchar_t* text);
    // What a screen reader calls the button, when its caption is a picture or
    // signs ("<>"), and the key that presses it; the drawn caption stays.
    void SetAccessibleName(const wchar_t* name, const wchar_t* shortcut = nullptr);

    BOOL IsFlat() const { return m_flat; }
    BOOL IsHovering() const { return m_hovering; }
    BOOL IsDefaultButton() const { return m_defaultButton; }
    BOOL IsCheckBox() const { return m_checkBox; }
    KelvoMenu& GetMenu() { return m_menu; }
    CToolTipCtrl& GetToolTip() { return m_tooltip; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void DrawItem(const DRAWITEMSTRUCT* item);
    virtual int PaintFace(CDC* dc, RECT* rect);
    virtual int PaintHoverFrame(CDC* dc, RECT* rect);

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Where the image goes (its left and top; right and bottom stay the item's), moving the caption aside.
    void PlaceImage(BOOL hasCaption, const RECT& item, RECT& caption, BOOL pressed, DWORD width, DWORD height,
                    RECT& image) const;

private:
    struct IconSlot {
        UniqueIcon icon;
        DWORD width = 0;
        DWORD height = 0;
    };
    struct BitmapSlot {
        UniqueBitmap bitmap;
        DWORD width = 0;
        DWORD height = 0;
        UniqueBitmap mask;
    };

    BOOL OnClicked();
    void OnMouseMove(WPARAM flags, LPARAM point);
    void OnEnable(BOOL enable);
    void OnSysColorChange();
    // Pointer, focus and activation changes, which start or end the hover look.
    LRESULT OnHoverMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // What the dropped-down menu asks of its owner: mnemonics, measuring and drawing its items.
    bool OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMenuMeasureItem(MEASUREITEMSTRUCT* item);
    bool OnMenuDrawItem(DRAWITEMSTRUCT* item);
    // Keeps the default-button state the dialog manager sets, and the button owner-drawn.
    LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
    void DropBackground();
    int ChooseSlot(BOOL hasRestImage) const;
    void DrawIconImage(CDC* dc, BOOL hasCaption, const RECT& item, RECT& caption);
    void DrawBitmapImage(CDC* dc, BOOL hasCaption, const RECT& item, RECT& caption);
    // Sunken or hover frame when pressed; hover frame or the 3-D edge otherwise.
    void DrawEdgeOrFrame(CDC* dc, RECT* frame);
    void DrawCaption(CDC* dc, const CString& text, RECT caption);
    void CaptureParentBackground(CDC* dc);

    BOOL m_embossDisabledBitmap = TRUE;
    BOOL m_flat = TRUE;
    BOOL m_hovering = FALSE;
    BOOL m_transparent = FALSE;
    BOOL m_pressed = FALSE;
    BOOL m_focused = FALSE;
    BOOL m_disabled = FALSE;
    BOOL m_defaultButton = FALSE;
    BOOL m_checkBox = FALSE;
    BYTE m_align = ImageLeft;
    BOOL m_drawHoverFrame = TRUE;
    BOOL m_flatFocus = FALSE;
    COLORREF m_colors[StateColorCount] = {};
    HWND m_menuTarget = nullptr;
    BOOL m_menuOpen = FALSE;
    KelvoMenu m_menu;
    HCURSOR m_cursor = nullptr;
    CToolTipCtrl m_tooltip;
    CDC m_backgroundDC;
    CBitmap m_backgroundBitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    BOOL m_hoverAnywhere = TRUE;
    BOOL m_checked = FALSE;
    wchar_t m_target[MAX_PATH] = {};
    IconSlot m_icons[2];
    BitmapSlot m_bitmaps[2];
};
