// Construction, settings and the images of the image button; its messages are
// in ImageButtonState.cpp, its drawing in ImageButtonDraw.cpp and the image
// placement in ImageButtonPlacement.cpp.
#include "controls/ImageButton.h"
#include "controls/ControlColours.h"
#include "framework/AccessibleFacts.h"

#include <oleacc.h>

namespace {

constexpr int kTooltipMaxWidth = 400;
constexpr UINT_PTR kTooltipToolId = 1;

SIZE IconSize(HICON icon)
{
    SIZE size = {};
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return size;
    UniqueBitmap colour(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap = {};
    GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    size.cx = bitmap.bmWidth;
    // A monochrome icon keeps its image and mask in one bitmap of twice the height.
    size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    return size;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (bitmap)
        GetObjectW(bitmap, sizeof(info), &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// A monochrome mask of the bitmap: white where it has the transparent colour.
HBITMAP CreateMask(HBITMAP bitmap, COLORREF transparent)
{
    SIZE size = BitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0)
        return nullptr;
    CDC source;
    CDC target;
    if (!source.CreateCompatibleDC(nullptr) || !target.CreateCompatibleDC(nullptr))
        return nullptr;
    HBITMAP mask = ::CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
    if (!mask)
        return nullptr;
    HGDIOBJ previousSource = source.SelectObject(bitmap);
    HGDIOBJ previousTarget = target.SelectObject(mask);
    source.SetBkColor(transparent);
    target.BitBlt(0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
    target.SelectObject(previousTarget);
    source.SelectObject(previousSource);
    return mask;
}

}  // namespace

CImageButton::CImageButton()
{
    FreeImages(FALSE);
    ResetStateColors(FALSE);
    SetTarget(nullptr);
}

CImageButton::~CImageButton()
{
    DropBackground();
    FreeImages(TRUE);
    if (m_cursor)
        ::DestroyCursor(m_cursor);
    if (m_menu.m_hMenu)
        m_menu.DestroyMenu();
}

int CImageButton::SetStateColor(BYTE index, COLORREF colour, BOOL repaint)
{
    if (index >= StateColorCount)
        return 3;
    m_colors[index] = colour;
    if (repaint && m_hWnd)
        Invalidate(TRUE);
    return 0;
}

int CImageButton::ResetStateColors(BOOL repaint)
{
    COLORREF face = ControlColours::Sys(COLOR_BTNFACE);
    COLORREF text = ControlColours::Sys(COLOR_BTNTEXT);
    m_colors[ActiveFace] = face;
    m_colors[ActiveText] = text;
    m_colors[RestFace] = face;
    m_colors[RestText] = text;
    m_colors[FocusFace] = face;
    m_colors[FocusText] = text;
    if (repaint && m_hWnd)
        Invalidate(TRUE);
    return 0;
}

int CImageButton::SetChecked(BOOL checked, BOOL repaint)
{
    if (!m_checkBox)
        return 0;
    m_checked = checked ? TRUE : FALSE;
    if (repaint && m_hWnd)
        Invalidate(TRUE);
    return 0;
}

int CImageButton::SetTarget(const wchar_t* text)
{
    ZeroMemory(m_target, sizeof(m_target));
    if (!text)
        return 0;
    size_t length = 0;
    while (text[length] && length < MAX_PATH - 1)
        ++length;
    // Never keep half of a surrogate pair.
    if (length > 0 && length == MAX_PATH - 1 && IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    for (size_t i = 0; i < length; ++i)
        m_target[i] = text[i];
    return 0;
}

void CImageButton::FreeImages(BOOL destroy)
{
    for (IconSlot& slot : m_icons) {
        if (destroy)
            slot.icon.Reset();
        else
            slot.icon.Release();
        slot.width = slot.height = 0;
    }
    for (BitmapSlot& slot : m_bitmaps) {
        if (destroy) {
            slot.bitmap.Reset();
            slot.mask.Reset();
        } else {
            slot.bitmap.Release();
            slot.mask.Release();
        }
        slot.width = slot.height = 0;
    }
}

void CImageButton::EndHover()
{
    if (!m_flat || !m_hovering)
        return;
    m_hovering = FALSE;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CImageButton::EnsureTooltip()
{
    if (m_tooltip.m_hWnd)
        return;
    if (!m_tooltip.Create(this, 0))
        return;
    m_tooltip.Activate(FALSE);
    m_tooltip.SetMaxTipWidth(kTooltipMaxWidth);
}

void CImageButton::SetIcons(HICON active, HICON rest)
{
    FreeImages(TRUE);
    HICON icons[2] = {active, rest};
    for (int i = 0; i < 2; ++i) {
        SIZE size = IconSize(icons[i]);
        m_icons[i].icon.Reset(icons[i]);
        m_icons[i].width = static_cast<DWORD>(size.cx);
        m_icons[i].height = static_cast<DWORD>(size.cy);
    }
    if (m_hWnd)
        Invalidate(TRUE);
}

void CImageButton::SetBitmaps(HBITMAP active, COLORREF transparent, HBITMAP rest)
{
    FreeImages(TRUE);
    HBITMAP bitmaps[2] = {active, rest};
    for (int i = 0; i < 2; ++i) {
        SIZE size = BitmapSize(bitmaps[i]);
        m_bitmaps[i].bitmap.Reset(bitmaps[i]);
        m_bitmaps[i].mask.Reset(bitmaps[i] ? CreateMask(bitmaps[i], transparent) : nullptr);
        m_bitmaps[i].width = static_cast<DWORD>(size.cx);
        m_bitmaps[i].height = static_cast<DWORD>(size.cy);
    }
    if (m_hWnd)
        Invalidate(TRUE);
}

void CImageButton::SetFlat(BOOL flat, BOOL repaint)
{
    m_flat = flat;
    if (repaint && m_hWnd)
        Invalidate(TRUE);
}

void CImageButton::SetAlign(BYTE align, BOOL repaint)
{
    m_align = align;
    if (repaint && m_hWnd)
        Invalidate(TRUE);
}

void CImageButton::SetFlatFocus(BOOL draw, BOOL repaint)
{
    m_flatFocus = draw;
    if (repaint && m_hWnd)
        Invalidate(TRUE);
}

BOOL CImageButton::SetMenu(UINT menuId, HWND target)
{
    m_menuTarget = target;
    return m_menu.LoadMenu(menuId);
}

void CImageButton::SetCursor(HCURSOR cursor)
{
    if (m_cursor)
        ::DestroyCursor(m_cursor);
    m_cursor = cursor;
}

void CImageButton::SetTooltipText(const wchar_t* text)
{
    EnsureTooltip();
    if (!m_tooltip.m_hWnd)
        return;
    if (m_tooltip.GetToolCount() == 0)
        m_tooltip.AddTool(this, text, nullptr, kTooltipToolId);
    else
        m_tooltip.UpdateTipText(text, this, kTooltipToolId);
    m_tooltip.Activate(TRUE);
}

void CImageButton::PreSubclassWindow()
{
    DWORD style = GetStyle() & 0xFF;
    if (style & 0x02)
        m_checkBox = TRUE;
    if ((style & 0x1F) == BS_DEFPUSHBUTTON)
        m_defaultButton = TRUE;
    ModifyStyle(0x1F, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
    // Drawn by us, it is still a button to a screen reader (the system cannot tell an owner-drawn one's kind).
    AccessibleFacts facts;
    facts.role = m_checkBox ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    facts.defaultAction = m_checkBox ? L"Check" : L"Press";
    facts.doDefault = [this] { SendMessage(BM_CLICK); };
    facts.addedState = [this] { return m_checked ? static_cast<long>(STATE_SYSTEM_CHECKED) : 0L; };
    SetAccessible(facts);
}

void CImageButton::SetAccessibleName(const wchar_t* name, const wchar_t* shortcut)
{
    const AccessibleFacts* known = GetAccessible();
    if (!known)
        return;
    AccessibleFacts facts = *known;
    facts.name = name ? name : L"";
    facts.keyboardShortcut = shortcut ? shortcut : L"";
    SetAccessible(facts);
}

BOOL CImageButton::PreTranslateMessage(MSG* msg)
{
    EnsureTooltip();
    if (m_tooltip.m_hWnd)
        m_tooltip.RelayEvent(msg);
    return CButton::PreTranslateMessage(msg);
}

LRESULT CImageButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A fast second click presses the button again instead of being a double click.
    if (message == WM_LBUTTONDBLCLK)
        message = WM_LBUTTONDOWN;
    return CButton::DefWindowProc(message, wParam, lParam);
}
void CImageButton::DropBackground()
{
    if (m_backgroundDC.m_hDC && m_previousBitmap)
        m_backgroundDC.SelectObject(m_previousBitmap);
    m_previousBitmap = nullptr;
    m_backgroundDC.DeleteDC();
    m_backgroundBitmap.DeleteObject();
}

void CImageButton::OnSysColorChange()
{
    // Transparent mode captures the parent's pixels again at the next paint.
    DropBackground();
}
