#include "shell/ThemeRule.h"

namespace ThemeRule {

ThemeKind Choose(bool highContrast, const DWORD* appsUseLightTheme)
{
    if (highContrast)
        return ThemeKind::HighContrast;
    return appsUseLightTheme && *appsUseLightTheme == 0 ? ThemeKind::Dark : ThemeKind::Light;
}

Palette PaletteFor(ThemeKind kind)
{
    return kind == ThemeKind::Dark ? Palette::Dark() : Palette::Light();
}

}  // namespace ThemeRule
