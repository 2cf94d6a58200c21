#include "shell/WindowLook.h"

#include "framework/Handles.h"

namespace {

// Numbers of the Windows SDK (dwmapi.h), which older SDKs and MinGW may lack.
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kCornerRound = 2;
constexpr DWORD kCornerRoundSmall = 3;

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

// The system DLLs stay loaded for the program's run; null where one is missing.
template <typename Fn>
Fn Lookup(const UniqueModule& module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.Get(), name))) : nullptr;
}

const UniqueModule& Dwm()
{
    static UniqueModule dwm(LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    return dwm;
}

const UniqueModule& UxTheme()
{
    static UniqueModule uxtheme(LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    return uxtheme;
}

bool SetAttribute(HWND window, DWORD attribute, DWORD value)
{
    const auto set = Lookup<DwmSetWindowAttributeFn>(Dwm(), "DwmSetWindowAttribute");
    return set && SUCCEEDED(set(window, attribute, &value, sizeof(value)));
}

}  // namespace

namespace WindowLook {

bool SetDarkCaption(HWND window, bool dark)
{
    // The attribute is a BOOL, as wide as a DWORD.
    return SetAttribute(window, kUseImmersiveDarkMode, dark ? TRUE : FALSE);
}

bool SetRoundCorners(HWND window, bool small)
{
    return SetAttribute(window, kWindowCornerPreference, small ? kCornerRoundSmall : kCornerRound);
}

bool SetDarkControlTheme(HWND control, bool dark)
{
    const auto set = Lookup<SetWindowThemeFn>(UxTheme(), "SetWindowTheme");
    return set && SUCCEEDED(set(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr));
}

bool SetUnthemed(HWND control, bool unthemed)
{
    const auto set = Lookup<SetWindowThemeFn>(UxTheme(), "SetWindowTheme");
    return set && SUCCEEDED(set(control, unthemed ? L"" : nullptr, unthemed ? L"" : nullptr));
}

}  // namespace WindowLook
