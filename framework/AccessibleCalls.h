#pragma once
// What every method of the accessible objects does alike: no exception leaves
// them, texts go out as BSTRs, child ids as VT_I4 VARIANTs.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace accessible_calls {

// No C++ exception may unwind into the caller, a system or another process.
template <typename Call>
HRESULT Guarded(Call call)
{
    try {
        return call();
    } catch (...) {
        return E_FAIL;
    }
}

inline HRESULT GiveText(const std::wstring& text, BSTR* out)
{
    if (text.empty())
        return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

inline void SetChild(VARIANT* out, long child)
{
    out->vt = VT_I4;
    out->lVal = child;
}

}  // namespace accessible_calls
