#pragma once
#include <windows.h>

#include "controls/Palette.h"

// Which colours the program draws with: high contrast wins over everything and
// keeps the system's colours; otherwise the system's app mode picks light or dark.
enum class ThemeKind { Light, Dark, HighContrast };

namespace ThemeRule {

// `appsUseLightTheme`: the Personalize value, null when it is absent (light then).
ThemeKind Choose(bool highContrast, const DWORD* appsUseLightTheme);
// The palette of `kind`; light and high contrast take the system's colours (at this call).
Palette PaletteFor(ThemeKind kind);

}  // namespace ThemeRule
