#pragma once
#include <windows.h>
#include <oaidl.h>

#include <vector>

// The selected children of an accessible object when there are several, as
// IAccessible::get_accSelection hands them over: an enumeration of child ids.
class AccessibleSelection final : public IEnumVARIANT {
public:
    // Made with one reference, the caller's.
    explicit AccessibleSelection(std::vector<long> children, ULONG next = 0);
    AccessibleSelection(const AccessibleSelection&) = delete;
    AccessibleSelection& operator=(const AccessibleSelection&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* children, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

private:
    ~AccessibleSelection() = default;

    LONG m_references = 1;
    std::vector<long> m_children;
    ULONG m_next;
};
