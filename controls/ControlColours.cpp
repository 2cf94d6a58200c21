#include "controls/ControlColours.h"

namespace {

// The controls draw on the UI thread only.
Palette& Held()
{
    static Palette palette = Palette::Light();
    return palette;
}

}  // namespace

void ControlColours::Use(const Palette& palette)
{
    Held() = palette;
}

const Palette& ControlColours::Current()
{
    return Held();
}

COLORREF ControlColours::Sys(int index)
{
    const Palette& p = Held();
    if (!p.dark)
        return GetSysColor(index);
    switch (index) {
    case COLOR_WINDOW: return p.list;
    case COLOR_WINDOWTEXT: return p.listText;
    case COLOR_BTNFACE: case COLOR_MENU: return p.face;
    case COLOR_BTNTEXT: case COLOR_MENUTEXT: return p.faceText;
    case COLOR_HIGHLIGHT: return p.menuHighlight;
    case COLOR_HIGHLIGHTTEXT: return p.menuHighlightText;
    case COLOR_GRAYTEXT: return p.grayText;
    case COLOR_BTNSHADOW: return p.shadow;
    case COLOR_BTNHIGHLIGHT: case COLOR_3DLIGHT: return p.highlight;
    case COLOR_3DDKSHADOW: return p.list;
    case COLOR_INFOBK: return p.info;
    case COLOR_INFOTEXT: return p.infoText;
    default: return GetSysColor(index);
    }
}
