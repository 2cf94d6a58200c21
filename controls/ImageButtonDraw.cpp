// The image button's drawing: face, edge or hover frame, images, caption and
// focus rectangle.
#include "controls/ImageButton.h"
#include "controls/ControlColours.h"

namespace {

constexpr UINT kCaptionFormat = DT_WORDBREAK | DT_CENTER;

}  // namespace

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
    COLORREF highlight = ControlColours::Sys(COLOR_BTNHIGHLIGHT);
    COLORREF shadow = ControlColours::Sys(COLOR_BTNSHADOW);
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
    DrawEdgeOrFrame(&dc, &frame);

    RECT caption = item->rcItem;
    CString text = GetWindowText();
    BOOL hasCaption = !text.IsEmpty();
    if (m_icons[0].icon)
        DrawIconImage(&dc, hasCaption, item->rcItem, caption);
    if (m_bitmaps[0].bitmap) {
        dc.SetBkColor(RGB(255, 255, 255));
        DrawBitmapImage(&dc, hasCaption, item->rcItem, caption);
    }
    if (hasCaption)
        DrawCaption(&dc, text, caption);

    if ((!m_flat || m_flatFocus) && m_focused) {
        RECT focus = frame;
        InflateRect(&focus, -3, -3);
        dc.DrawFocusRect(focus);
    }
    dc.Detach();
}

void CImageButton::DrawEdgeOrFrame(CDC* dc, RECT* frame)
{
    if (m_pressed) {
        if (m_flat) {
            if (m_drawHoverFrame)
                PaintHoverFrame(dc, frame);
        } else {
            CBrush shadow(ControlColours::Sys(COLOR_BTNSHADOW));
            dc->FrameRect(*frame, shadow);
        }
        return;
    }
    if (m_flat) {
        if (m_hovering && m_drawHoverFrame)
            PaintHoverFrame(dc, frame);
        return;
    }
    const RECT& r = *frame;
    CPen highlight(PS_SOLID, 0, ControlColours::Sys(COLOR_BTNHIGHLIGHT));
    CPen light(PS_SOLID, 0, ControlColours::Sys(COLOR_3DLIGHT));
    CPen shadow(PS_SOLID, 0, ControlColours::Sys(COLOR_BTNSHADOW));
    CPen darkShadow(PS_SOLID, 0, ControlColours::Sys(COLOR_3DDKSHADOW));
    HGDIOBJ previousPen = dc->SelectObject(&highlight);
    dc->MoveTo(r.left, r.bottom - 1);
    dc->LineTo(r.left, r.top);
    dc->LineTo(r.right, r.top);
    dc->SelectObject(&light);
    dc->MoveTo(r.left + 1, r.bottom - 1);
    dc->LineTo(r.left + 1, r.top + 1);
    dc->LineTo(r.right, r.top + 1);
    dc->SelectObject(&darkShadow);
    dc->MoveTo(r.left, r.bottom - 1);
    dc->LineTo(r.right - 1, r.bottom - 1);
    dc->LineTo(r.right - 1, r.top - 1);
    dc->SelectObject(&shadow);
    dc->MoveTo(r.left + 1, r.bottom - 2);
    dc->LineTo(r.right - 2, r.bottom - 2);
    dc->LineTo(r.right - 2, r.top);
    dc->SelectObject(previousPen);
}

void CImageButton::DrawCaption(CDC* dc, const CString& text, RECT caption)
{
    if (m_pressed && !m_checkBox)
        OffsetRect(&caption, 1, 1);
    RECT measured = caption;
    dc->DrawText(text, -1, &measured, kCaptionFormat | DT_CALCRECT);
    OffsetRect(&measured, ((caption.right - caption.left) - (measured.right - measured.left)) / 2,
               ((caption.bottom - caption.top) - (measured.bottom - measured.top)) / 2);
    dc->SetBkMode(TRANSPARENT);
    if (m_disabled) {
        OffsetRect(&measured, 1, 1);
        dc->SetTextColor(ControlColours::Sys(COLOR_BTNHIGHLIGHT));
        dc->DrawText(text, -1, &measured, kCaptionFormat);
        OffsetRect(&measured, -1, -1);
        dc->SetTextColor(ControlColours::Sys(COLOR_BTNSHADOW));
        dc->DrawText(text, -1, &measured, kCaptionFormat);
    } else {
        BOOL active = m_hovering || m_pressed;
        dc->SetTextColor(m_colors[active ? ActiveText : RestText]);
        dc->SetBkColor(m_colors[active ? ActiveFace : RestFace]);
        dc->DrawText(text, -1, &measured, kCaptionFormat);
    }
}
