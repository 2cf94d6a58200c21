#include "shell/SystemTheme.h"

#include "controls/ControlColours.h"

#include <cwchar>

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

}  // namespace

SystemTheme::SystemTheme() : m_palette(Palette::Light())
{
    Refresh();
    Hand();
}

bool SystemTheme::ReadAppsUseLightTheme(DWORD& value)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    UniqueRegKey key(opened);
    DWORD type = 0;
    DWORD size = sizeof(value);
    return RegQueryValueExW(key.Get(), L"AppsUseLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                            &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof(value);
}

bool SystemTheme::HighContrastOn()
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool SystemTheme::Refresh()
{
    DWORD light = 1;
    const bool stored = ReadAppsUseLightTheme(light);
    const ThemeKind kind = ThemeRule::Choose(HighContrastOn(), stored ? &light : nullptr);
    const Palette palette = ThemeRule::PaletteFor(kind);
    const bool changed = kind != m_kind || palette != m_palette;
    m_kind = kind;
    m_palette = palette;
    if (changed)
        Hand();
    return changed;
}

bool SystemTheme::OnSettingChange(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOLORCHANGE)
        return Refresh();
    if (message != WM_SETTINGCHANGE)
        return false;
    const wchar_t* area = reinterpret_cast<const wchar_t*>(lParam);
    const bool colourSet = area && std::wcscmp(area, L"ImmersiveColorSet") == 0;
    return (colourSet || wParam == SPI_SETHIGHCONTRAST) && Refresh();
}

void SystemTheme::PassColourChangeToChildren(HWND parent)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
}

void SystemTheme::Hand()
{
    m_brushes.Make(m_palette);
    ControlColours::Use(m_palette);
}
