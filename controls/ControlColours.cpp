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
    // Light and high contrast read the system's colours live.
    const Palette& p = Held();
    const COLORREF colour = p.dark ? p.Colour(index) : CLR_INVALID;
    return colour != CLR_INVALID ? colour : GetSysColor(index);
}
