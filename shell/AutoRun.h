#pragma once
#include <windows.h>

#include <string>

// Where the start-with-Windows entry lives. The defaults are the real Run keys;
// tests point them elsewhere.
struct AutoRunLocation {
    HKEY machineRoot = HKEY_LOCAL_MACHINE;
    std::wstring machineKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    HKEY userRoot = HKEY_CURRENT_USER;
    std::wstring userKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    std::wstring valueName = L"Quillary";
};

// Ticked: the executable's full path goes to the machine-wide Run key, or, when
// that key cannot be written, to the per-user one. Unticked: the value is
// removed from both. Failures are not reported.
void SetAutoRun(bool on, const AutoRunLocation& where = AutoRunLocation());
