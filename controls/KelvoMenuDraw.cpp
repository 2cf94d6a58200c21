// Measuring and drawing of KelvoMenu items, in the classic and the flat style.
#include <algorithm>
#include <memory>

#include "controls/ControlColours.h"
#include "controls/KelvoMenu.h"
#include "controls/MenuBufferDC.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"

namespace {

// Offsets are computed in floating point and truncated, never negative.
int HalfOffset(int difference)
{
    int offset = static_cast<int>((difference + 1) * 0.5);
    return offset < 0 ? 0 : offset;
}

// A one-pixel frame in one colour.
void FrameRect(CDC* dc, const RECT& rect, COLORREF colour)
{
    dc->Draw3dRect(rect, colour, colour);
}

}  // namespace

COLORREF KelvoMenu::Lighten(COLORREF colour, double factor)
{
    if (!(factor > 0.0 && factor <= 1.0))
        return colour;
    auto channel = [factor](int value) { return static_cast<BYTE>(value + factor * (255 - value)); };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

int KelvoMenu::GetPad() const
{
    return UsesFlatStyle() && s_glyphRelief ? 7 : 4;
}

void KelvoMenu::MeasureItem(MEASUREITEMSTRUCT* item)
{
    const auto* record = reinterpret_cast<const KelvoMenuItem*>(item->itemData);
    if (!record)
        return;
    int pad = GetPad();
    // The system's menu height is at the system's DPI; the menu may open on a monitor of another.
    const int menuHeight = dpi::Rescale(GetSystemMetrics(SM_CYMENU), dpi::OfSystem(), Dpi());
    if (record->m_flags & MF_SEPARATOR) {
        item->itemWidth = 0;
        item->itemHeight = static_cast<UINT>(std::max(menuHeight >> 1, Px(m_glyphHeight + pad) / 2));
        return;
    }

    CFont font;
    BOOL haveFont = CreateMenuFont(font);
    HWND window = ReferenceWindow();
    CDC dc;
    dc.Attach(::GetDC(window));
    HGDIOBJ previousFont = haveFont && IsModernShell() ? dc.SelectObject(&font) : nullptr;
    const std::wstring& text = record->m_text;
    int length = static_cast<int>(text.size());
    int textWidth = dc.GetTextExtent(text.c_str(), length).cx;
    if (s_windowsVersion == 0) {
        RECT extent = {};
        dc.DrawText(text.c_str(), length, &extent, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        textWidth = extent.right - extent.left + 3;
        if (length > 0)
            textWidth += 3 * (textWidth / length);
    }
    if (previousFont)
        dc.SelectObject(previousFont);
    ::ReleaseDC(window, dc.Detach());

    int width = UsesFlatStyle() ? textWidth + Px(m_glyphWidth + pad + 8) : textWidth + Px(2 * m_glyphWidth + 1);
    item->itemWidth = static_cast<UINT>(width);
    item->itemHeight = static_cast<UINT>(std::max(menuHeight, Px(m_glyphHeight + pad)));
}

void KelvoMenu::DrawItem(DRAWITEMSTRUCT* item)
{
    const auto* record = reinterpret_cast<const KelvoMenuItem*>(item->itemData);
    if (!record || !item->hDC)
        return;
    CDC dc;
    dc.Attach(item->hDC);
    int saved = ::SaveDC(item->hDC);
    if (dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE)
        DrawClassicItem(&dc, item, record);
    else if (UsesFlatStyle())
        DrawFlatItem(&dc, item, record);
    else
        DrawClassicItem(&dc, item, record);
    ::RestoreDC(item->hDC, saved);
    dc.Detach();
}

void KelvoMenu::DrawGrayedGlyph(CDC* dc, int index, int x, int y, COLORREF background) const
{
    if (m_altDisabledStyle) {
        UniqueIcon icon(s_sharedImages.ExtractIcon(index));
        dc->DrawState(POINT{x, y}, SIZE{m_glyphWidth, m_glyphHeight}, icon.Get(), DSS_DISABLED);
        return;
    }
    CBitmap glyph;
    if (RenderGlyphBitmap(dc, &s_sharedImages, index, glyph))
        DrawEmbossedGlyph(dc, x, y, m_glyphWidth, m_glyphHeight, &glyph, 0, 0, background);
}

void KelvoMenu::DrawClassicItem(CDC* dc, const DRAWITEMSTRUCT* item, const KelvoMenuItem* record)
{
    RECT r = item->rcItem;
    COLORREF menuColour = ControlColours::Sys(IsXPThemeActive() ? COLOR_BTNFACE : COLOR_MENU);
    if (record->m_flags & MF_SEPARATOR) {
        dc->FillSolidRect(r, menuColour);
        r.top += (r.bottom - r.top) >> 1;
        dc->DrawEdge(&r, EDGE_ETCHED, BF_TOP);
        return;
    }

    UINT state = item->itemState;
    ItemLook look = {};
    look.grayed = (state & ODS_GRAYED) != 0;
    look.checked = (state & ODS_CHECKED) != 0;
    look.selected = (state & ODS_SELECTED) && (!look.grayed || s_grayedSelectableClassic);
    int index = record->m_sharedImageIndex;
    BOOL hasGlyph = index >= 0;

    COLORREF textColour = ControlColours::Sys(COLOR_MENUTEXT);
    if (!look.selected) {
        dc->FillSolidRect(r, menuColour);
        FrameRect(dc, r, menuColour);
    } else {
        RECT fill = r;
        if (hasGlyph || look.checked)
            fill.left = r.left + Px(m_glyphWidth + 5);
        dc->FillSolidRect(fill, ControlColours::Sys(COLOR_HIGHLIGHT));
        textColour = ControlColours::Sys(COLOR_HIGHLIGHTTEXT);
    }

    int dy = std::max(0, (static_cast<int>(r.bottom - r.top) - Px(m_glyphHeight + 4)) / 2);
    if (hasGlyph) {
        DrawClassicGlyph(dc, index, POINT{r.left, r.top + dy}, look, menuColour);
    } else if (look.checked) {
        RECT box = {r.left + Px(1), r.top + dy + Px(2), r.left + Px(m_glyphWidth + 1),
                    r.top + dy + Px(m_glyphHeight + 2)};
        if (!DrawCheckImage(dc, box, look.selected))
            DrawClassicCheck(dc, box, look.selected, HasRadioCheckBitmap(item), menuColour);
    }

    RECT area = {r.left + Px(m_glyphWidth + 9), r.top - 1, r.right, r.bottom - 1};
    DrawClassicText(dc, area, record->m_text, look, textColour, menuColour);
}

void KelvoMenu::DrawClassicGlyph(CDC* dc, int index, POINT corner, ItemLook look, COLORREF menuColour) const
{
    COLORREF shadow = ControlColours::Sys(COLOR_BTNSHADOW);
    COLORREF highlight = ControlColours::Sys(COLOR_BTNHIGHLIGHT);
    RECT cell = {corner.x + Px(1), corner.y + Px(1), corner.x + Px(m_glyphWidth + 3), corner.y + Px(m_glyphHeight + 3)};
    RECT outer = {corner.x, corner.y, corner.x + Px(m_glyphWidth + 4), corner.y + Px(m_glyphHeight + 4)};
    POINT at = {corner.x + Px(2), corner.y + Px(2)};
    FrameRect(dc, cell, menuColour);
    if (look.grayed) {
        FrameRect(dc, outer, menuColour);
        DrawGrayedGlyph(dc, index, at.x, at.y, menuColour);
    } else if (look.selected) {
        dc->FillSolidRect(cell, menuColour);
        if (IsModernShell()) {
            if (look.checked)
                dc->Draw3dRect(outer, shadow, highlight);
            else
                dc->Draw3dRect(outer, highlight, shadow);
        }
        s_sharedImages.Draw(*dc, index, at, ILD_TRANSPARENT);
    } else if (look.checked) {
        dc->FillSolidRect(cell, Lighten(menuColour, 0.6));
        if (IsModernShell())
            dc->Draw3dRect(outer, shadow, highlight);
        s_sharedImages.Draw(*dc, index, at, ILD_TRANSPARENT);
    } else {
        dc->FillSolidRect(cell, menuColour);
        FrameRect(dc, outer, menuColour);
        s_sharedImages.Draw(*dc, index, at, ILD_TRANSPARENT);
    }
}

void KelvoMenu::DrawClassicText(CDC* dc, const RECT& area, const std::wstring& text, ItemLook look,
                                COLORREF textColour, COLORREF menuColour) const
{
    if (!look.grayed) {
        dc->SetTextColor(textColour);
        DrawItemText(dc, area, text);
    } else if (look.selected) {
        dc->SetTextColor(menuColour);
        DrawItemText(dc, area, text);
    } else {
        RECT embossed = area;
        OffsetRect(&embossed, 1, 1);
        dc->SetTextColor(ControlColours::Sys(COLOR_BTNHIGHLIGHT));
        DrawItemText(dc, embossed, text);
        dc->SetTextColor(ControlColours::Sys(COLOR_GRAYTEXT));
        DrawItemText(dc, area, text);
    }
}

void KelvoMenu::DrawFlatItem(CDC* dc, const DRAWITEMSTRUCT* item, const KelvoMenuItem* record)
{
    BOOL grayed = (item->itemState & ODS_GRAYED) != 0;
    BOOL selected = (item->itemState & ODS_SELECTED) && (!grayed || s_grayedSelectableFlat);
    if (!grayed) {
        PaintFlatItem(dc, item, record, selected);
        return;
    }
    // A grayed item is composed off-screen and copied in one piece.
    CFont font;
    auto buffer = std::make_unique<MenuBufferDC>(dc, item->rcItem);
    HGDIOBJ previousFont = CreateMenuFont(font) ? buffer->SelectObject(&font) : nullptr;
    PaintFlatItem(buffer.get(), item, record, selected);
    if (previousFont)
        buffer->SelectObject(previousFont);
    buffer.reset();
}

void KelvoMenu::PaintFlatItem(CDC* dc, const DRAWITEMSTRUCT* item, const KelvoMenuItem* record, BOOL selected)
{
    RECT r = item->rcItem;
    int height = r.bottom - r.top;
    int pad = GetPad();
    int barWidth = Px(m_glyphWidth + pad);
    FlatColours colours = {};
    colours.bar = ControlColours::Sys(COLOR_BTNFACE);
    colours.window = ControlColours::Sys(COLOR_WINDOW);
    colours.highlight = ControlColours::Sys(COLOR_HIGHLIGHT);
    colours.selection = Lighten(colours.highlight, 0.7);
    RECT barRect = {r.left, r.top, r.left + barWidth, r.bottom};

    if (record->m_flags & MF_SEPARATOR) {
        dc->FillSolidRect(r, colours.window);
        RECT line = {barRect.right + Px(pad), r.top + height / 2, r.right, r.bottom};
        dc->DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        dc->FillSolidRect(barRect, colours.bar);
        FrameRect(dc, barRect, colours.bar);
        return;
    }

    UINT state = item->itemState;
    ItemLook look = {};
    look.grayed = (state & ODS_GRAYED) != 0;
    look.checked = (state & ODS_CHECKED) != 0;
    look.selected = selected;
    if (!selected) {
        dc->FillSolidRect(r, colours.window);
        dc->FillSolidRect(barRect, colours.bar);
        FrameRect(dc, r, colours.window);
        FrameRect(dc, barRect, colours.bar);
    } else {
        dc->FillSolidRect(r, colours.selection);
        FrameRect(dc, r, colours.highlight);
    }

    int index = record->m_sharedImageIndex;
    if (index >= 0) {
        POINT at = {r.left + HalfOffset(barWidth - m_glyphWidth), r.top + HalfOffset(height - m_glyphHeight)};
        RECT cell = {r.left + Px(1), r.top + Px(1), r.left + barWidth - Px(1), r.bottom - Px(1)};
        PaintFlatGlyph(dc, index, at, cell, look, colours);
    } else if (look.checked) {
        int left = r.left + HalfOffset(barWidth - Px(16));
        int top = r.top + HalfOffset(height - Px(16));
        RECT box = {left, top, left + Px(16), top + Px(16)};
        if (!DrawCheckImage(dc, box, selected))
            DrawFlatCheck(dc, box, HasRadioCheckBitmap(item), colours.highlight, colours.bar);
    }

    RECT area = {r.left + barWidth + Px(8), r.top - 1, r.right, r.bottom - 1};
    dc->SetTextColor(ControlColours::Sys(look.grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    DrawItemText(dc, area, record->m_text);
}

void KelvoMenu::PaintFlatGlyph(CDC* dc, int index, POINT at, const RECT& cell, ItemLook look,
                               const FlatColours& colours) const
{
    // With relief, the shared list holds the faded glyph at index + 1 and its shadow at index + 2.
    BOOL relief = s_glyphRelief && HasReliefCompanions(index);
    POINT raised = {at.x - 1, at.y - 1};
    POINT lowered = {at.x + 1, at.y + 1};
    if (look.grayed) {
        DrawGrayedGlyph(dc, index, at.x, at.y, colours.bar);
    } else if (look.selected) {
        dc->FillSolidRect(cell, colours.selection);
        if (look.checked) {
            FrameRect(dc, cell, colours.highlight);
            s_sharedImages.Draw(*dc, index, raised, ILD_TRANSPARENT);
        } else if (relief) {
            s_sharedImages.Draw(*dc, index + 2, lowered, ILD_TRANSPARENT);
            s_sharedImages.Draw(*dc, index, raised, ILD_TRANSPARENT);
        } else {
            s_sharedImages.Draw(*dc, index, at, ILD_TRANSPARENT);
        }
    } else if (look.checked) {
        dc->FillSolidRect(cell, Lighten(colours.highlight, 0.85));
        FrameRect(dc, cell, colours.highlight);
        s_sharedImages.Draw(*dc, index, raised, ILD_TRANSPARENT);
    } else {
        dc->FillSolidRect(cell, colours.bar);
        FrameRect(dc, cell, colours.bar);
        s_sharedImages.Draw(*dc, relief ? index + 1 : index, at, ILD_TRANSPARENT);
    }
}

void KelvoMenu::DrawItemText(CDC* dc, RECT area, const std::wstring& text) const
{
    if (text.empty())
        return;
    size_t firstTab = text.find(L'\t');
    size_t lastTab = text.rfind(L'\t');
    std::wstring left = text.substr(0, firstTab);
    if (firstTab != std::wstring::npos)
        area.right -= Px(m_glyphWidth);
    int previousMode = dc->SetBkMode(TRANSPARENT);
    dc->DrawText(left.c_str(), static_cast<int>(left.size()), &area, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    if (firstTab != std::wstring::npos) {
        std::wstring right = text.substr(lastTab + 1);
        dc->DrawText(right.c_str(), static_cast<int>(right.size()), &area, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    }
    dc->SetBkMode(previousMode);
}
