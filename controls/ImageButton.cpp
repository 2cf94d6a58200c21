#include "controls/ImageButton.h"

#include <shellapi.h>

namespace {

constexpr UINT kMenuTrackFlags = TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD;
constexpr UINT kCaptionFormat = DT_WORDBREAK | DT_CENTER;
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
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
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

bool CImageButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SETCURSOR:
        if (!m_cursor)
            return false;
        ::SetCursor(m_cursor);
        result = TRUE;
        return true;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        result = DefWindowProc(message, wParam, lParam);
        EndHover();
        return true;
    case WM_MOUSEMOVE:
        result = DefWindowProc(message, wParam, lParam);
        OnMouseMove(wParam, lParam);
        return true;
    case WM_SYSCOLORCHANGE:
        result = DefWindowProc(message, wParam, lParam);
        OnSysColorChange();
        return true;
    case WM_ACTIVATE:
        result = DefWindowProc(message, wParam, lParam);
        if (LOWORD(wParam) == WA_INACTIVE)
            EndHover();
        return true;
    case WM_ENABLE:
        result = DefWindowProc(message, wParam, lParam);
        OnEnable(static_cast<BOOL>(wParam));
        return true;
    case WM_GETDLGCODE:
        result = DefWindowProc(message, wParam, lParam) | (m_defaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return true;
    case WM_MENUCHAR: {
        CMenu* menu = CMenu::FromHandle(reinterpret_cast<HMENU>(lParam));
        if (!KelvoMenu::IsOwnMenu(menu))
            return false;
        result = KelvoMenu::MenuCharLookup(LOWORD(wParam), HIWORD(wParam), menu);
        return true;
    }
    case WM_MEASUREITEM:
        if (!OnMenuMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return CButton::OnMessage(message, wParam, lParam, result);
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        // Items of the dropped-down menu are drawn by their menu object.
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        CMenu* menu = item && item->CtlType == ODT_MENU
                          ? CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(item->hwndItem))
                          : nullptr;
        if (!menu)
            return CButton::OnMessage(message, wParam, lParam, result);
        menu->DrawItem(item);
        result = TRUE;
        return true;
    }
    case BM_SETSTYLE: {
        UINT type = static_cast<UINT>(wParam) & 0x1F;
        if (type == BS_DEFPUSHBUTTON)
            m_defaultButton = TRUE;
        else if (type == BS_PUSHBUTTON)
            m_defaultButton = FALSE;
        // Stay owner-drawn whatever the dialog manager asks for.
        result = DefWindowProc(message, (wParam & ~static_cast<WPARAM>(0x14)) | BS_OWNERDRAW, lParam);
        return true;
    }
    case WM_MOUSELEAVE:
        EndHover();
        result = 0;
        return true;
    case BM_SETCHECK:
        SetChecked(wParam == BST_CHECKED || wParam == BST_INDETERMINATE, TRUE);
        result = 0;
        return true;
    case BM_GETCHECK:
        result = IsChecked();
        return true;
    default:
        return CButton::OnMessage(message, wParam, lParam, result);
    }
}

bool CImageButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        // FALSE lets the parent receive the click as well.
        return OnClicked() != FALSE;
    }
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    return CButton::OnChildNotify(message, wParam, lParam, result);
}

bool CImageButton::OnMenuMeasureItem(MEASUREITEMSTRUCT* item)
{
    if (!item || item->CtlType != ODT_MENU)
        return false;
    HMENU popup = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item->itemID));
    if (::IsMenu(popup) && KelvoMenu::IsOwnMenu(popup)) {
        m_menu.MeasureItem(item);
        return true;
    }
    // A command item: the menu level that holds it measures it.
    int position = -1;
    CMenu* level = m_menu.m_hMenu ? m_menu.FindCommand(item->itemID, position) : nullptr;
    if (!level)
        return false;
    level->MeasureItem(item);
    return true;
}

BOOL CImageButton::OnClicked()
{
    SetFocus();
    if (m_checkBox) {
        m_checked = !m_checked;
        Invalidate(TRUE);
    } else if (m_menu.m_hMenu) {
        RECT window = {};
        GetWindowRect(&window);
        m_menuOpen = TRUE;
        Invalidate(TRUE);
        CMenu* popup = m_menu.GetSubMenu(0);
        UINT command = popup ? static_cast<UINT>(popup->TrackPopupMenu(kMenuTrackFlags, window.left, window.bottom, this))
                             : 0;
        m_menuOpen = FALSE;
        Invalidate(TRUE);
        if (command)
            ::PostMessageW(m_menuTarget, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else if (m_target[0]) {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = m_target;
        info.nShow = SW_SHOWMAXIMIZED;
        ::ShellExecuteExW(&info);
    }
    return FALSE;
}

void CImageButton::OnMouseMove(WPARAM flags, LPARAM point)
{
    POINT at = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ClientToScreen(&at);
    HWND under = ::WindowFromPoint(at);
    if ((flags & MK_LBUTTON) && !m_hovering)
        return;
    if (!m_flat)
        return;
    HWND reference = m_hoverAnywhere ? m_hWnd : ::GetActiveWindow();
    if (under == m_hWnd && reference) {
        if (m_hovering)
            return;
        m_hovering = TRUE;
        Invalidate(TRUE);
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        ::_TrackMouseEvent(&track);
    } else {
        EndHover();
    }
}

void CImageButton::OnEnable(BOOL enable)
{
    if (!enable) {
        HWND parent = ::GetParent(m_hWnd);
        HWND next = ::GetNextDlgTabItem(parent, m_hWnd, FALSE);
        ::SetFocus(next ? next : parent);
    }
    EndHover();
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

int CImageButton::PaintFace(CDC* dc, RECT* rect)
{
    COLORREF face = m_colors[RestFace];
    if (m_hovering || m_pressed)
        face = m_colors[ActiveFace];
    else if (m_focused)
        face = m_colors[FocusFace];
    CBrush brush(face);
    dc->FillRect(*rect, brush);
    return 0;
}

int CImageButton::PaintHoverFrame(CDC* dc, RECT* rect)
{
    COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    if (m_pressed)
        dc->Draw3dRect(*rect, shadow, highlight);
    else
        dc->Draw3dRect(*rect, highlight, shadow);
    return 0;
}

void CImageButton::CaptureParentBackground(CDC* dc)
{
    CWnd* parent = GetParent();
    CClientDC parentDC(parent);
    RECT client = {};
    GetClientRect(&client);
    RECT window = {};
    GetWindowRect(&window);
    if (parent)
        parent->ScreenToClient(&window);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (!m_backgroundDC.m_hDC && m_backgroundDC.CreateCompatibleDC(parentDC)) {
        m_backgroundBitmap.CreateCompatibleBitmap(parentDC, width, height);
        m_previousBitmap = m_backgroundDC.SelectObject(&m_backgroundBitmap);
        m_backgroundDC.BitBlt(0, 0, width, height, parentDC, window.left, window.top, SRCCOPY);
    }
    dc->BitBlt(0, 0, width, height, m_backgroundDC, 0, 0, SRCCOPY);
}

void CImageButton::PlaceImage(BOOL hasCaption, const RECT& item, RECT& caption, BOOL pressed, DWORD width,
                              DWORD height, RECT& image) const
{
    int w = static_cast<int>(width);
    int h = static_cast<int>(height);
    int itemWidth = item.right - item.left;
    int itemHeight = item.bottom - item.top;
    image = item;
    switch (m_align) {
    case ImageLeft:
        if (!hasCaption) {
            image.left += (itemWidth - w) / 2;
        } else {
            image.left += 3;
            caption.left += w + 3;
        }
        image.top += (itemHeight - h) / 2;
        break;
    case ImageTop:
        image.left += (itemWidth - w) / 2;
        if (!hasCaption) {
            image.top += (itemHeight - h) / 2;
        } else {
            image.top = 3;
            caption.top += h;
        }
        break;
    case ImageRight: {
        RECT client = {};
        GetClientRect(&client);
        if (!hasCaption) {
            image.left += (itemWidth - w) / 2;
        } else {
            caption.right = (caption.right - caption.left) - w - 3;
            caption.left = 3;
            image.left = client.right - w - 3;
            image.top += (itemHeight - h) / 2;
        }
        break;
    }
    default:
        break;
    }
    if (pressed && !m_checkBox)
        OffsetRect(&image, 1, 1);
}

int CImageButton::ChooseSlot(BOOL hasRestImage) const
{
    BOOL active = m_checkBox ? m_pressed : (m_pressed || m_hovering);
    if (active)
        return 0;
    return hasRestImage ? 1 : 0;
}

void CImageButton::DrawIconImage(CDC* dc, BOOL hasCaption, const RECT& item, RECT& caption)
{
    const IconSlot& slot = m_icons[ChooseSlot(m_icons[1].icon.Get() != nullptr)];
    RECT image = {};
    PlaceImage(hasCaption, item, caption, m_pressed, slot.width, slot.height, image);
    dc->DrawState(POINT{image.left, image.top}, SIZE{image.right - image.left, image.bottom - image.top},
                  slot.icon.Get(), m_disabled ? DSS_DISABLED : DSS_NORMAL);
}

void CImageButton::DrawBitmapImage(CDC* dc, BOOL hasCaption, const RECT& item, RECT& caption)
{
    const BitmapSlot& slot = m_bitmaps[ChooseSlot(m_bitmaps[1].bitmap.Get() != nullptr)];
    RECT image = {};
    PlaceImage(hasCaption, item, caption, m_pressed, slot.width, slot.height, image);
    int w = static_cast<int>(slot.width);
    int h = static_cast<int>(slot.height);

    CDC bitmapDC;
    CDC maskDC;
    bitmapDC.CreateCompatibleDC(*dc);
    maskDC.CreateCompatibleDC(*dc);
    HGDIOBJ previousBitmap = bitmapDC.SelectObject(slot.bitmap.Get());
    HGDIOBJ previousMask = slot.mask ? maskDC.SelectObject(slot.mask.Get()) : nullptr;
    if (m_disabled && m_embossDisabledBitmap) {
        CDC copyDC;
        CBitmap copy;
        copyDC.CreateCompatibleDC(*dc);
        copy.CreateCompatibleBitmap(*dc, w, h);
        HGDIOBJ previousCopy = copyDC.SelectObject(&copy);
        COLORREF previousBk = copyDC.SetBkColor(RGB(255, 255, 255));
        copyDC.BitBlt(0, 0, w, h, bitmapDC, 0, 0, SRCCOPY);
        copyDC.SetBkColor(previousBk);
        copyDC.SelectObject(previousCopy);
        dc->DrawState(POINT{image.left, image.top}, SIZE{w, h}, copy.GetHandle(), DSS_DISABLED);
    } else {
        dc->BitBlt(image.left, image.top, w, h, bitmapDC, 0, 0, SRCCOPY);
    }
    if (previousMask)
        maskDC.SelectObject(previousMask);
    bitmapDC.SelectObject(previousBitmap);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT* item)
{
    CDC dc;
    dc.Attach(item->hDC);
    if (m_checkBox)
        m_pressed = (item->itemState & ODS_SELECTED) || m_checked;
    else
        m_pressed = (item->itemState & ODS_SELECTED) || (m_menu.m_hMenu && m_menuOpen);
    m_focused = (item->itemState & ODS_FOCUS) != 0;
    m_disabled = (item->itemState & ODS_DISABLED) != 0;
    RECT frame = item->rcItem;
    dc.SetBkMode(TRANSPARENT);

    if (!m_flat && (m_focused || m_defaultButton)) {
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(frame, black);
        InflateRect(&frame, -1, -1);
    }

    if (m_transparent)
        CaptureParentBackground(&dc);
    else
        PaintFace(&dc, &frame);

    if (m_pressed) {
        if (m_flat) {
            if (m_drawHoverFrame)
                PaintHoverFrame(&dc, &frame);
        } else {
            CBrush shadow(GetSysColor(COLOR_BTNSHADOW));
            dc.FrameRect(frame, shadow);
        }
    } else {
        CPen highlight(PS_SOLID, 0, GetSysColor(COLOR_BTNHIGHLIGHT));
        CPen light(PS_SOLID, 0, GetSysColor(COLOR_3DLIGHT));
        CPen shadow(PS_SOLID, 0, GetSysColor(COLOR_BTNSHADOW));
        CPen darkShadow(PS_SOLID, 0, GetSysColor(COLOR_3DDKSHADOW));
        if (m_flat) {
            if (m_hovering && m_drawHoverFrame)
                PaintHoverFrame(&dc, &frame);
        } else {
            HGDIOBJ previousPen = dc.SelectObject(&highlight);
            dc.MoveTo(frame.left, frame.bottom - 1);
            dc.LineTo(frame.left, frame.top);
            dc.LineTo(frame.right, frame.top);
            dc.SelectObject(&light);
            dc.MoveTo(frame.left + 1, frame.bottom - 1);
            dc.LineTo(frame.left + 1, frame.top + 1);
            dc.LineTo(frame.right, frame.top + 1);
            dc.SelectObject(&darkShadow);
            dc.MoveTo(frame.left, frame.bottom - 1);
            dc.LineTo(frame.right - 1, frame.bottom - 1);
            dc.LineTo(frame.right - 1, frame.top - 1);
            dc.SelectObject(&shadow);
            dc.MoveTo(frame.left + 1, frame.bottom - 2);
            dc.LineTo(frame.right - 2, frame.bottom - 2);
            dc.LineTo(frame.right - 2, frame.top);
            dc.SelectObject(previousPen);
        }
    }

    RECT caption = item->rcItem;
    CString text = GetWindowText();
    BOOL hasCaption = !text.IsEmpty();
    if (m_icons[0].icon)
        DrawIconImage(&dc, hasCaption, item->rcItem, caption);
    if (m_bitmaps[0].bitmap) {
        dc.SetBkColor(RGB(255, 255, 255));
        DrawBitmapImage(&dc, hasCaption, item->rcItem, caption);
    }

    if (hasCaption) {
        if (m_pressed && !m_checkBox)
            OffsetRect(&caption, 1, 1);
        RECT measured = caption;
        dc.DrawText(text, -1, &measured, kCaptionFormat | DT_CALCRECT);
        OffsetRect(&measured, ((caption.right - caption.left) - (measured.right - measured.left)) / 2,
                   ((caption.bottom - caption.top) - (measured.bottom - measured.top)) / 2);
        dc.SetBkMode(TRANSPARENT);
        if (m_disabled) {
            OffsetRect(&measured, 1, 1);
            dc.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
            dc.DrawText(text, -1, &measured, kCaptionFormat);
            OffsetRect(&measured, -1, -1);
            dc.SetTextColor(GetSysColor(COLOR_BTNSHADOW));
            dc.DrawText(text, -1, &measured, kCaptionFormat);
        } else {
            BOOL active = m_hovering || m_pressed;
            dc.SetTextColor(m_colors[active ? ActiveText : RestText]);
            dc.SetBkColor(m_colors[active ? ActiveFace : RestFace]);
            dc.DrawText(text, -1, &measured, kCaptionFormat);
        }
    }

    if ((!m_flat || m_flatFocus) && m_focused) {
        RECT focus = frame;
        InflateRect(&focus, -3, -3);
        dc.DrawFocusRect(focus);
    }
    dc.Detach();
}
