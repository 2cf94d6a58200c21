#pragma once
#include <windows.h>
#include <oleacc.h>

#include <string>

#include "framework/AccessibleCalls.h"
#include "framework/AccessibleFacts.h"

// The object a screen reader gets for a window's client area (WM_GETOBJECT)
// when the window has more to say than the system's own object: a name other
// than what it draws, a role the system does not know, the items inside it.
// Whatever the facts leave open comes from the system's object for the window.
// Readers may hold it after the window is gone: from Disconnect on, every call
// fails instead of reaching a window or items that are no more.
class AccessibleWindow final : public IAccessible {
public:
    // Made with one reference, the caller's. `items` may be null; it must last until Disconnect.
    AccessibleWindow(HWND window, AccessibleFacts facts, AccessibleItems* items);
    AccessibleWindow(const AccessibleWindow&) = delete;
    AccessibleWindow& operator=(const AccessibleWindow&) = delete;

    void SetFacts(AccessibleFacts facts) { m_facts = std::move(facts); }
    const AccessibleFacts& Facts() const { return m_facts; }
    // WM_GETOBJECT for OBJID_CLIENT, and the default actions that readers asked
    // for; true with the result when the message was one of these.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Disconnect();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    // What a child argument names: the window itself, one of its items, or nothing.
    struct Target {
        bool valid = false;
        bool self = false;
        int item = -1;
    };

    ~AccessibleWindow();
    // Posted to the window to run a default action after the reader's call.
    static UINT DefaultActionMessage();
    Target TargetOf(const VARIANT& child) const;
    // The system's object for the window, made when first needed; null when there is none.
    IAccessible* Standard();
    HRESULT Navigate(long direction, const Target& from, VARIANT* end);
    using ItemText = std::wstring (AccessibleItems::*)(int) const;
    using SystemText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
    // A text of an item (from `ofItem`, none when null) or of the window: `given`
    // when there is one, else the system's object's.
    // Answers `body` for the target a child argument names: fails at once for a
    // disconnected object or a child that names nothing.
    template <typename Body>
    HRESULT ForTarget(const VARIANT& child, Body body)
    {
        if (!m_connected)
            return RPC_E_DISCONNECTED;
        return accessible_calls::Guarded([&] {
            const Target target = TargetOf(child);
            return target.valid ? body(target) : E_INVALIDARG;
        });
    }
    HRESULT ReadText(const VARIANT& child, BSTR* text, ItemText ofItem, const std::wstring& given,
                     SystemText ofSystem);

    LONG m_references = 1;
    HWND m_window;
    AccessibleFacts m_facts;
    AccessibleItems* m_items;
    IAccessible* m_standard = nullptr;
    bool m_connected = true;
};
