#include "shell/ThemeBrushes.h"

void ThemeBrushes::Make(const Palette& palette)
{
    m_palette = palette;
    m_window.Reset(palette.dark ? CreateSolidBrush(palette.window) : nullptr);
    m_field.Reset(palette.dark ? CreateSolidBrush(palette.field) : nullptr);
}

HBRUSH ThemeBrushes::CtlColor(UINT message, HDC dc) const
{
    if (!m_palette.dark || message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC)
        return nullptr;
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, field ? m_palette.fieldText : m_palette.windowText);
    SetBkColor(dc, field ? m_palette.field : m_palette.window);
    return field ? m_field.Get() : m_window.Get();
}
