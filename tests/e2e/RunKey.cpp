#include "tests/e2e/RunKey.h"

#include "framework/Handles.h"

#include <vector>

namespace e2e {

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

UniqueRegKey OpenKey(HKEY root, const wchar_t* path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, access, &key) != ERROR_SUCCESS)
        key = nullptr;
    return UniqueRegKey(key);
}

UniqueRegKey OpenRunKey(HKEY root, REGSAM access)
{
    return OpenKey(root, kRunKey, access);
}

}  // namespace

std::optional<RegistryValue> ReadRunValue(HKEY root, const std::wstring& name)
{
    return ReadRegistryValue(root, kRunKey, name);
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& path, const std::wstring& name)
{
    UniqueRegKey key = OpenKey(root, path.c_str(), KEY_QUERY_VALUE);
    if (!key)
        return std::nullopt;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(bytes + sizeof(wchar_t), 0);
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    value.type = type;
    if (type == REG_DWORD && bytes == sizeof(DWORD))
        CopyMemory(&value.number, data.data(), sizeof(DWORD));
    else  // The stored size counts the terminating NUL; the text ends at the first one.
        value.text = reinterpret_cast<const wchar_t*>(data.data());
    return value;
}

bool WriteRunValue(HKEY root, const std::wstring& name, const std::wstring& text)
{
    HKEY created = nullptr;
    if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueRegKey key(created);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes)
           == ERROR_SUCCESS;
}

bool DeleteRunValue(HKEY root, const std::wstring& name)
{
    if (UniqueRegKey key = OpenRunKey(root, KEY_SET_VALUE))
        RegDeleteValueW(key.Get(), name.c_str());
    return !ReadRunValue(root, name).has_value();
}

const char* RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKLM" : root == HKEY_CURRENT_USER ? "HKCU" : "another root";
}

}  // namespace e2e
