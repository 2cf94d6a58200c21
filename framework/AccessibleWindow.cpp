#include "framework/AccessibleWindow.h"

#include "framework/AccessibleCalls.h"
#include "framework/AccessibleSelection.h"

#include <utility>

namespace {

// Spelled out: with MinGW and -static the import library's IID_IAccessible is
// an import thunk, not the GUID, and every query for it would fail.
const IID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

}  // namespace

using accessible_calls::Guarded;
using accessible_calls::SetChild;

AccessibleWindow::AccessibleWindow(HWND window, AccessibleFacts facts, AccessibleItems* items)
    : m_window(window), m_facts(std::move(facts)), m_items(items)
{
}

AccessibleWindow::~AccessibleWindow()
{
    if (m_standard)
        m_standard->Release();
}

UINT AccessibleWindow::DefaultActionMessage()
{
    static const UINT message = RegisterWindowMessageW(L"AccessibleWindow.DefaultAction");
    return message;
}

bool AccessibleWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!m_connected)
        return false;
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        result = LresultFromObject(kIAccessible, wParam, static_cast<IAccessible*>(this));
        return true;
    }
    if (message != DefaultActionMessage() || message == 0)
        return false;
    const long child = static_cast<long>(wParam);
    if (child == CHILDID_SELF && m_facts.doDefault) {
        const std::function<void()> action = m_facts.doDefault;
        action();
    } else if (m_items && child > 0 && child <= m_items->Count()) {
        m_items->DoDefault(child - 1);
    }
    result = 0;
    return true;
}

void AccessibleWindow::Disconnect()
{
    m_connected = false;
    m_items = nullptr;
    m_facts = AccessibleFacts();
    if (m_standard) {
        m_standard->Release();
        m_standard = nullptr;
    }
    // Readers in other processes hold proxies: their calls now fail at once.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

IAccessible* AccessibleWindow::Standard()
{
    if (!m_standard && m_connected)
        CreateStdAccessibleObject(m_window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&m_standard));
    return m_standard;
}

AccessibleWindow::Target AccessibleWindow::TargetOf(const VARIANT& child) const
{
    Target target;
    if (child.vt != VT_I4)
        return target;
    if (child.lVal == CHILDID_SELF) {
        target.valid = target.self = true;
    } else if (m_items && child.lVal > 0 && child.lVal <= m_items->Count()) {
        target.valid = true;
        target.item = child.lVal - 1;
    }
    return target;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE AccessibleWindow::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

ULONG STDMETHODCALLTYPE AccessibleWindow::Release()
{
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                                   UINT*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    IAccessible* standard = Standard();
    return standard ? standard->get_accParent(parent) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accChildCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        if (m_items) {
            *count = m_items->Count();
            return S_OK;
        }
        IAccessible* standard = Standard();
        return standard ? standard->get_accChildCount(count) : S_OK;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accChild(VARIANT child, IDispatch** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    if (!m_items) {
        IAccessible* standard = Standard();
        return standard ? standard->get_accChild(child, object) : E_INVALIDARG;
    }
    // Items are simple elements, reached through this object with their child id.
    const Target target = TargetOf(child);
    return target.valid && !target.self ? S_FALSE : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accFocus(VARIANT* child)
{
    if (!child)
        return E_POINTER;
    VariantInit(child);
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    if (!m_items) {
        IAccessible* standard = Standard();
        return standard ? standard->get_accFocus(child) : S_FALSE;
    }
    if (GetFocus() != m_window)
        return S_FALSE;
    return Guarded([&] {
        const int focused = m_items->Focused();
        SetChild(child, focused >= 0 ? focused + 1 : CHILDID_SELF);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accSelection(VARIANT* children)
{
    if (!children)
        return E_POINTER;
    VariantInit(children);
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    if (!m_items) {
        IAccessible* standard = Standard();
        return standard ? standard->get_accSelection(children) : S_FALSE;
    }
    return Guarded([&] {
        const std::vector<int> selected = m_items->Selected();
        if (selected.empty())
            return S_FALSE;
        if (selected.size() == 1) {
            SetChild(children, selected.front() + 1);
            return S_OK;
        }
        std::vector<long> ids;
        for (int item : selected)
            ids.push_back(item + 1);
        children->vt = VT_UNKNOWN;
        children->punkVal = new AccessibleSelection(std::move(ids));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::accSelect(long flags, VARIANT child)
{
    return ForTarget(child, [&](const Target& target) {
        if (!target.self)
            return m_items->Select(target.item, flags) ? S_OK : S_FALSE;
        IAccessible* standard = Standard();
        return standard ? standard->accSelect(flags, child) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::accLocation(long* left, long* top, long* width, long* height,
                                                        VARIANT child)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    return ForTarget(child, [&](const Target& target) {
        if (target.self) {
            IAccessible* standard = Standard();
            return standard ? standard->accLocation(left, top, width, height, child) : S_FALSE;
        }
        RECT screen = {};
        if (!m_items->Location(target.item, screen))
            return S_FALSE;
        *left = screen.left;
        *top = screen.top;
        *width = screen.right - screen.left;
        *height = screen.bottom - screen.top;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::accNavigate(long direction, VARIANT start, VARIANT* end)
{
    if (!end)
        return E_POINTER;
    VariantInit(end);
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        const Target from = TargetOf(start);
        if (!from.valid)
            return E_INVALIDARG;
        if (m_items)
            return Navigate(direction, from, end);
        IAccessible* standard = Standard();
        return standard ? standard->accNavigate(direction, start, end) : S_FALSE;
    });
}

HRESULT AccessibleWindow::Navigate(long direction, const Target& from, VARIANT* end)
{
    const int count = m_items->Count();
    int to = -1;
    if (from.self) {
        if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
            VARIANT self;
            SetChild(&self, CHILDID_SELF);
            IAccessible* standard = Standard();
            return standard ? standard->accNavigate(direction, self, end) : S_FALSE;
        }
        to = direction == NAVDIR_FIRSTCHILD ? 0 : count - 1;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
        to = from.item + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
        to = from.item - 1;
    } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        return E_INVALIDARG;
    }
    if (to < 0 || to >= count)
        return S_FALSE;
    SetChild(end, to + 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::accHitTest(long x, long y, VARIANT* child)
{
    if (!child)
        return E_POINTER;
    VariantInit(child);
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        RECT window = {};
        GetWindowRect(m_window, &window);
        const POINT point = {x, y};
        if (!PtInRect(&window, point))
            return S_FALSE;
        const int item = m_items ? m_items->HitTest(point) : -1;
        if (item >= 0) {
            SetChild(child, item + 1);
            return S_OK;
        }
        IAccessible* standard = Standard();
        if (standard && !m_items)
            return standard->accHitTest(x, y, child);
        SetChild(child, CHILDID_SELF);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::accDoDefaultAction(VARIANT child)
{
    return ForTarget(child, [&](const Target& target) {
        if (target.self && !m_facts.doDefault) {
            IAccessible* standard = Standard();
            return standard ? standard->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
        }
        // The reader waits for this call: an action that opens a dialog runs
        // once the call has returned, from the window's own queue.
        return PostMessageW(m_window, DefaultActionMessage(), static_cast<WPARAM>(child.lVal), 0) ? S_OK : E_FAIL;
    });
}
