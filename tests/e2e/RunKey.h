#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// The "Run" keys of the registry that start programs with Windows, machine-wide
// (HKEY_LOCAL_MACHINE) and per user (HKEY_CURRENT_USER).
struct RegistryValue {
    DWORD type = REG_NONE;
    std::wstring text;  // REG_SZ
    DWORD number = 0;   // REG_DWORD
};

// Any value of any key; nothing when the key or the value is missing.
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name);
std::optional<RegistryValue> ReadRunValue(HKEY root, const std::wstring& name);
bool WriteRunValue(HKEY root, const std::wstring& name, const std::wstring& text);
// True when the value is absent afterwards.
bool DeleteRunValue(HKEY root, const std::wstring& name);
// "HKLM" or "HKCU", for failure messages.
const char* RootName(HKEY root);

}  // namespace e2e
