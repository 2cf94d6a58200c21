// Check marks of KelvoMenu items: the tick, the dot and the box they sit in,
// in colours that keep the mark readable and at the menu's DPI.
#include "controls/ControlColours.h"
#include "controls/KelvoMenu.h"
#include "controls/Palette.h"
#include "framework/Dpi.h"

UINT KelvoMenu::Dpi() const
{
    return m_dpi ? m_dpi : dpi::OfSystem();
}

int KelvoMenu::Px(int value) const
{
    return dpi::Scale(value, Dpi());
}

KelvoMenu::CheckColours KelvoMenu::ClassicCheckColours(COLORREF menuColour, COLORREF mark, BOOL selected)
{
    if (selected)
        return {mark, menuColour};
    return {mark, Palette::MarkGround(Lighten(menuColour, 0.6), menuColour, mark)};
}

KelvoMenu::CheckColours KelvoMenu::FlatCheckColours(COLORREF highlight, COLORREF bar, COLORREF mark)
{
    return {mark, Palette::MarkGround(Lighten(highlight, 0.85), bar, mark)};
}

BOOL KelvoMenu::HasRadioCheckBitmap(const DRAWITEMSTRUCT* item)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    HMENU menu = reinterpret_cast<HMENU>(item->hwndItem);
    return ::GetMenuItemInfoW(menu, item->itemID, FALSE, &info) && info.hbmpChecked;
}

BOOL KelvoMenu::DrawCheckImage(CDC* dc, const RECT& box, BOOL selected) const
{
    int image = selected ? m_checkImageSelected : m_checkImageNormal;
    if (!m_checkImages || image < 0 || image >= m_checkImages->GetImageCount())
        return FALSE;
    return m_checkImages->Draw(*dc, image, POINT{box.left, box.top}, ILD_TRANSPARENT);
}

void KelvoMenu::DrawClassicCheck(CDC* dc, const RECT& box, BOOL selected, BOOL radio, COLORREF menuColour) const
{
    const CheckColours colours = ClassicCheckColours(menuColour, ControlColours::Sys(COLOR_MENUTEXT), selected);
    dc->FillSolidRect(box, colours.box);
    if (IsModernShell()) {
        RECT edge = box;
        dc->DrawEdge(&edge, BDR_SUNKENOUTER, BF_RECT);
    }
    if (radio)
        DrawCheckDot(dc, box.left + Px(5), box.top + Px(4), colours.mark);
    else
        DrawCheckTick(dc, box.left + Px(4), box.top + Px(4), colours.mark);
}

void KelvoMenu::DrawFlatCheck(CDC* dc, const RECT& box, BOOL radio, COLORREF highlight, COLORREF bar) const
{
    const CheckColours colours = FlatCheckColours(highlight, bar, ControlColours::Sys(COLOR_MENUTEXT));
    dc->FillSolidRect(box, colours.box);
    dc->Draw3dRect(box, highlight, highlight);
    if (radio)
        DrawCheckDot(dc, box.left + Px(5), box.top + Px(4), colours.mark);
    else
        DrawCheckTick(dc, box.left + Px(5), box.top + Px(4), colours.mark);
}

void KelvoMenu::DrawCheckDot(CDC* dc, int x, int y, COLORREF mark) const
{
    CPen pen(PS_SOLID, 0, mark);
    CBrush brush(mark);
    HGDIOBJ previousPen = dc->SelectObject(&pen);
    HGDIOBJ previousBrush = dc->SelectObject(&brush);
    dc->Ellipse(x, y, x + Px(6), y + Px(6));
    dc->SelectObject(previousBrush);
    dc->SelectObject(previousPen);
}

void KelvoMenu::DrawCheckTick(CDC* dc, int x, int y, COLORREF mark) const
{
    // Seven strokes three pixels long at 96 DPI, each grown to the menu's scale.
    static const int kStrokeTop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k) {
        const RECT stroke = {x + Px(k), y + Px(kStrokeTop[k]), x + Px(k + 1), y + Px(kStrokeTop[k] + 3)};
        dc->FillSolidRect(stroke, mark);
    }
}
