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
    switch (kind) {
    case ThemeKind::Dark: return Palette::Dark();
    case ThemeKind::HighContrast: return Palette::HighContrast();
    case ThemeKind::Light: break;
    }
    return Palette::Light();
}

}  // namespace ThemeRule
