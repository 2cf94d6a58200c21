#include "shell/ModulePath.h"

#include <vector>

std::wstring ModuleFilePath(HMODULE module, size_t initialCapacity)
{
    std::vector<wchar_t> buffer(initialCapacity > 0 ? initialCapacity : 1);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::wstring();
        // A path that filled the buffer may have been cut short.
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ExecutableFolder()
{
    std::wstring path = ModuleFilePath();
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}
