#pragma once
#include <windows.h>

#include "controls/Palette.h"
#include "shell/ThemeBrushes.h"
#include "shell/ThemeRule.h"

// The theme the system asks for, read from the registry and the high-contrast
// setting, with the brushes a window paints its grounds with. Each themed
// window holds one; each hands a new palette to the controls (ControlColours),
// whichever hears of the change first, and tells whether a WM_SETTINGCHANGE
// changed it.
class SystemTheme {
public:
    SystemTheme();

    ThemeKind Kind() const { return m_kind; }
    const Palette& Colours() const { return m_palette; }
    bool IsDark() const { return m_kind == ThemeKind::Dark; }

    // Reads the system's settings again; true when the palette changed.
    bool Refresh();
    // WM_SETTINGCHANGE and WM_SYSCOLORCHANGE: true when the palette changed.
    bool OnSettingChange(UINT message, WPARAM wParam, LPARAM lParam);

    // Answers WM_CTLCOLOR* in dark mode (colours `dc`, returns the ground's
    // brush); null in the other modes, where the system's default stays.
    HBRUSH CtlColor(UINT message, HDC dc) const { return m_brushes.CtlColor(message, dc); }

    // The system's app mode as stored for the current user (null when absent).
    static bool ReadAppsUseLightTheme(DWORD& value);
    static bool HighContrastOn();
    // Windows sends WM_SYSCOLORCHANGE to top-level windows only: common controls
    // (the list, its header, edits) refresh their colours when their parent passes it on.
    static void PassColourChangeToChildren(HWND parent);

private:
    // The controls and the brushes take the palette.
    void Hand();

    ThemeKind m_kind = ThemeKind::Light;
    Palette m_palette;
    ThemeBrushes m_brushes;
};
