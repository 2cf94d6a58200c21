#include "controls/Palette.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

double Linear(BYTE channel)
{
    const double value = channel / 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF colour)
{
    return 0.2126 * Linear(GetRValue(colour)) + 0.7152 * Linear(GetGValue(colour)) +
           0.0722 * Linear(GetBValue(colour));
}

auto Fields(const Palette& p)
{
    return std::tie(p.window, p.windowText, p.list, p.listText, p.selection, p.selectionText, p.field, p.fieldText,
                    p.face, p.faceText, p.grayText, p.link, p.linkVisited, p.linkHover, p.menu, p.menuText,
                    p.menuHighlight, p.menuHighlightText, p.info, p.infoText, p.shadow, p.highlight, p.dark);
}

}  // namespace

bool Palette::operator==(const Palette& other) const
{
    return Fields(*this) == Fields(other);
}

Palette Palette::Light(const std::function<COLORREF(int)>& sysColor)
{
    Palette p = {};
    p.window = sysColor(COLOR_BTNFACE);
    p.windowText = sysColor(COLOR_BTNTEXT);
    p.list = sysColor(COLOR_WINDOW);
    p.listText = sysColor(COLOR_WINDOWTEXT);
    p.selection = sysColor(COLOR_HIGHLIGHT);
    p.selectionText = sysColor(COLOR_HIGHLIGHTTEXT);
    p.field = sysColor(COLOR_WINDOW);
    p.fieldText = sysColor(COLOR_WINDOWTEXT);
    p.face = sysColor(COLOR_BTNFACE);
    p.faceText = sysColor(COLOR_BTNTEXT);
    p.grayText = sysColor(COLOR_GRAYTEXT);
    // The link label's colours of old; the hover red is darkened to stand out from the face.
    p.link = RGB(0, 0, 238);
    p.linkVisited = RGB(85, 26, 139);
    p.linkHover = RGB(192, 0, 0);
    p.menu = sysColor(COLOR_MENU);
    p.menuText = sysColor(COLOR_MENUTEXT);
    p.menuHighlight = sysColor(COLOR_HIGHLIGHT);
    p.menuHighlightText = sysColor(COLOR_HIGHLIGHTTEXT);
    p.info = sysColor(COLOR_INFOBK);
    p.infoText = sysColor(COLOR_INFOTEXT);
    p.shadow = sysColor(COLOR_BTNSHADOW);
    p.highlight = sysColor(COLOR_BTNHIGHLIGHT);
    p.dark = false;
    return p;
}

Palette Palette::HighContrast(const std::function<COLORREF(int)>& sysColor)
{
    Palette p = Light(sysColor);
    // The theme has one colour for links, whatever their state; the underline shows the pointer.
    p.link = sysColor(COLOR_HOTLIGHT);
    p.linkVisited = p.link;
    p.linkHover = p.link;
    return p;
}

Palette Palette::Dark()
{
    // Close to Windows' own dark apps: near-black grounds, near-white text.
    Palette p = {};
    p.window = RGB(32, 32, 32);
    p.windowText = RGB(240, 240, 240);
    p.list = RGB(25, 25, 25);
    p.listText = RGB(240, 240, 240);
    p.selection = RGB(0, 95, 184);
    p.selectionText = RGB(255, 255, 255);
    p.field = RGB(45, 45, 45);
    p.fieldText = RGB(240, 240, 240);
    p.face = RGB(43, 43, 43);
    p.faceText = RGB(240, 240, 240);
    p.grayText = RGB(150, 150, 150);
    p.link = RGB(153, 204, 255);
    p.linkVisited = RGB(204, 170, 255);
    p.linkHover = RGB(255, 150, 150);
    p.menu = RGB(43, 43, 43);
    p.menuText = RGB(240, 240, 240);
    p.menuHighlight = RGB(65, 65, 65);
    p.menuHighlightText = RGB(255, 255, 255);
    p.info = RGB(43, 43, 43);
    p.infoText = RGB(240, 240, 240);
    p.shadow = RGB(90, 90, 90);
    p.highlight = RGB(110, 110, 110);
    p.dark = true;
    return p;
}

COLORREF Palette::Colour(int index) const
{
    switch (index) {
    case COLOR_WINDOW: return list;
    case COLOR_WINDOWTEXT: return listText;
    case COLOR_BTNFACE: return face;
    case COLOR_MENU: return menu;
    case COLOR_BTNTEXT: return faceText;
    case COLOR_MENUTEXT: return menuText;
    case COLOR_HIGHLIGHT: return menuHighlight;
    case COLOR_HIGHLIGHTTEXT: return menuHighlightText;
    case COLOR_GRAYTEXT: return grayText;
    case COLOR_BTNSHADOW: return shadow;
    case COLOR_BTNHIGHLIGHT: case COLOR_3DLIGHT: return highlight;
    case COLOR_3DDKSHADOW: return dark ? list : CLR_INVALID;
    case COLOR_INFOBK: return info;
    case COLOR_INFOTEXT: return infoText;
    default: return CLR_INVALID;
    }
}

double Palette::Contrast(COLORREF a, COLORREF b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

COLORREF Palette::MarkGround(COLORREF preferred, COLORREF fallback, COLORREF mark)
{
    return Contrast(mark, preferred) >= kMarkContrast ? preferred : fallback;
}

std::vector<Palette::TextPair> Palette::TextPairs() const
{
    return {{"window", windowText, window},         {"list", listText, list},
            {"selection", selectionText, selection}, {"field", fieldText, field},
            {"search hint", grayText, field},
            {"face", faceText, face},                {"link", link, window},
            {"visited link", linkVisited, window},   {"link under the pointer", linkHover, window},
            {"menu", menuText, menu},                {"menu highlight", menuHighlightText, menuHighlight},
            {"preview", infoText, info}};
}
