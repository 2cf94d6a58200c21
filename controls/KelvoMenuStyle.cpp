// Which look KelvoMenu takes on the system it runs on: the Windows version
// code, the classic-theme test and the style (classic or flat) that follows.
#include <memory>
#include <new>

#include "controls/KelvoMenu.h"
#include "framework/Handles.h"

namespace {

const wchar_t kThemeKey[] = L"Software\\Microsoft\\Plus!\\Themes\\Current";
const wchar_t kClassicThemeFile[] = L"Windows Classic.theme";

BOOL g_themeChecked = FALSE;
BOOL g_classicTheme = FALSE;

}  // namespace

int KelvoMenu::ClassifyWindowsVersion(DWORD version, const OSVERSIONINFOA* info)
{
    bool nt = !(version & 0x80000000u);
    BYTE major = LOBYTE(LOWORD(version));
    if (!nt && major < 4)
        return 0;
    if (!info)
        return nt ? 1 : 2;
    if (nt) {
        if (info->dwMajorVersion == 4)
            return 5;
        if (info->dwMajorVersion == 5 && info->dwMinorVersion == 0)
            return 6;
        if (info->dwMajorVersion == 5 && info->dwMinorVersion == 1)
            return 7;
        return 1;
    }
    if (info->dwMajorVersion == 4 && info->dwMinorVersion == 10)
        return 3;
    if (info->dwMajorVersion == 4 && info->dwMinorVersion == 90)
        return 4;
    return 2;
}

int KelvoMenu::DetectWindowsVersion()
{
    // What the system reports (a compatibility layer may report an older system).
    DWORD version = GetVersion();
    std::unique_ptr<OSVERSIONINFOA> info(new (std::nothrow) OSVERSIONINFOA());
    if (info) {
        info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        GetVersionExA(info.get());
    }
    return ClassifyWindowsVersion(version, info.get());
}

BOOL KelvoMenu::IsClassicThemeActive()
{
    if (g_themeChecked)
        return g_classicTheme;
    g_themeChecked = TRUE;
    g_classicTheme = FALSE;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return g_classicTheme;
    UniqueRegKey key(opened);
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
        ERROR_SUCCESS) {
        size_t length = lstrlenW(value);
        size_t suffix = lstrlenW(kClassicThemeFile);
        g_classicTheme = length >= suffix && lstrcmpiW(value + length - suffix, kClassicThemeFile) == 0;
    }
    return g_classicTheme;
}

void KelvoMenu::ResetThemeCache()
{
    g_themeChecked = FALSE;
    g_classicTheme = FALSE;
}

BOOL KelvoMenu::IsXPThemeActive()
{
    return s_windowsVersion == 7 && !IsClassicThemeActive();
}

BOOL KelvoMenu::UsesFlatStyle()
{
    return (IsXPThemeActive() ? s_styleThemed : s_styleUnthemed) == 1;
}
