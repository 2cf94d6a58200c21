#include "shell/AutoRun.h"

#include "framework/Handles.h"
#include "shell/ModulePath.h"

namespace {

UniqueRegKey OpenMachineKey(const AutoRunLocation& where)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(where.machineRoot, where.machineKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        key = nullptr;
    return UniqueRegKey(key);
}

UniqueRegKey OpenUserKey(const AutoRunLocation& where, bool create)
{
    HKEY key = nullptr;
    LONG status = create ? RegCreateKeyExW(where.userRoot, where.userKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                           nullptr, &key, nullptr)
                         : RegOpenKeyExW(where.userRoot, where.userKey.c_str(), 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        key = nullptr;
    return UniqueRegKey(key);
}

bool WritePath(HKEY key, const std::wstring& name, const std::wstring& path)
{
    // The stored size counts the terminating NUL.
    const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), bytes) ==
           ERROR_SUCCESS;
}

void DeleteValue(const UniqueRegKey& key, const std::wstring& name)
{
    if (key)
        RegDeleteValueW(key.Get(), name.c_str());
}

}  // namespace

void SetAutoRun(bool on, const AutoRunLocation& where)
{
    UniqueRegKey machine = OpenMachineKey(where);
    if (!on) {
        DeleteValue(machine, where.valueName);
        DeleteValue(OpenUserKey(where, false), where.valueName);
        return;
    }

    const std::wstring path = ModuleFilePath();
    if (path.empty())
        return;
    if (machine && WritePath(machine.Get(), where.valueName, path)) {
        // A per-user copy left from a run without write access would start the program twice.
        DeleteValue(OpenUserKey(where, false), where.valueName);
        return;
    }
    if (UniqueRegKey user = OpenUserKey(where, true))
        WritePath(user.Get(), where.valueName, path);
}
