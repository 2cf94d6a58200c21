#include "framework/AccessibleSelection.h"

#include <utility>

namespace {

// Spelled out, as IAccessible's is: with -static the import library's may be a thunk.
const IID kIEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

AccessibleSelection::AccessibleSelection(std::vector<long> children, ULONG next)
    : m_children(std::move(children)), m_next(next)
{
}

HRESULT STDMETHODCALLTYPE AccessibleSelection::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == kIEnumVARIANT) {
        *object = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE AccessibleSelection::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

ULONG STDMETHODCALLTYPE AccessibleSelection::Release()
{
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE AccessibleSelection::Next(ULONG wanted, VARIANT* children, ULONG* fetched)
{
    if (!children)
        return E_POINTER;
    ULONG given = 0;
    for (; given < wanted && m_next < m_children.size(); ++given, ++m_next) {
        VariantInit(&children[given]);
        children[given].vt = VT_I4;
        children[given].lVal = m_children[m_next];
    }
    if (fetched)
        *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleSelection::Skip(ULONG count)
{
    const ULONG left = static_cast<ULONG>(m_children.size()) - m_next;
    m_next += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleSelection::Reset()
{
    m_next = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleSelection::Clone(IEnumVARIANT** copy)
{
    if (!copy)
        return E_POINTER;
    try {
        *copy = new AccessibleSelection(m_children, m_next);
        return S_OK;
    } catch (...) {
        *copy = nullptr;
        return E_OUTOFMEMORY;
    }
}
