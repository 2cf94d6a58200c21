// The texts, role and state that a screen reader reads of the window and of its items.
#include "framework/AccessibleWindow.h"

#include "framework/AccessibleCalls.h"

using accessible_calls::GiveText;
using accessible_calls::Guarded;
using accessible_calls::SetChild;

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accName(VARIANT child, BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        const Target target = TargetOf(child);
        if (!target.valid)
            return E_INVALIDARG;
        if (!target.self)
            return GiveText(m_items->Name(target.item), name);
        if (!m_facts.name.empty())
            return GiveText(m_facts.name, name);
        IAccessible* standard = Standard();
        return standard ? standard->get_accName(child, name) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accValue(VARIANT child, BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    const Target target = TargetOf(child);
    if (!target.valid)
        return E_INVALIDARG;
    IAccessible* standard = target.self ? Standard() : nullptr;
    return standard ? standard->get_accValue(child, value) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accDescription(VARIANT child, BSTR* description)
{
    if (!description)
        return E_POINTER;
    *description = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        const Target target = TargetOf(child);
        if (!target.valid)
            return E_INVALIDARG;
        if (!target.self)
            return GiveText(m_items->Description(target.item), description);
        if (!m_facts.description.empty())
            return GiveText(m_facts.description, description);
        IAccessible* standard = Standard();
        return standard ? standard->get_accDescription(child, description) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role)
        return E_POINTER;
    VariantInit(role);
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    const Target target = TargetOf(child);
    if (!target.valid)
        return E_INVALIDARG;
    if (!target.self || m_facts.role) {
        SetChild(role, target.self ? m_facts.role : m_items->Role());
        return S_OK;
    }
    IAccessible* standard = Standard();
    return standard ? standard->get_accRole(child, role) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accState(VARIANT child, VARIANT* state)
{
    if (!state)
        return E_POINTER;
    VariantInit(state);
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        const Target target = TargetOf(child);
        if (!target.valid)
            return E_INVALIDARG;
        if (!target.self) {
            SetChild(state, m_items->State(target.item));
            return S_OK;
        }
        IAccessible* standard = Standard();
        VARIANT system;
        VariantInit(&system);
        const long known = standard && SUCCEEDED(standard->get_accState(child, &system)) && system.vt == VT_I4
                               ? system.lVal
                               : 0;
        VariantClear(&system);
        SetChild(state, known | (m_facts.addedState ? m_facts.addedState() : 0));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accHelp(VARIANT child, BSTR* help)
{
    if (!help)
        return E_POINTER;
    *help = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    const Target target = TargetOf(child);
    if (!target.valid)
        return E_INVALIDARG;
    IAccessible* standard = target.self ? Standard() : nullptr;
    return standard ? standard->get_accHelp(child, help) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accHelpTopic(BSTR* file, VARIANT child, long* topic)
{
    if (!file || !topic)
        return E_POINTER;
    *file = nullptr;
    *topic = 0;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    const Target target = TargetOf(child);
    if (!target.valid)
        return E_INVALIDARG;
    IAccessible* standard = target.self ? Standard() : nullptr;
    return standard ? standard->get_accHelpTopic(file, child, topic) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    if (!shortcut)
        return E_POINTER;
    *shortcut = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        const Target target = TargetOf(child);
        if (!target.valid)
            return E_INVALIDARG;
        if (!target.self)
            return S_FALSE;
        if (!m_facts.keyboardShortcut.empty())
            return GiveText(m_facts.keyboardShortcut, shortcut);
        IAccessible* standard = Standard();
        return standard ? standard->get_accKeyboardShortcut(child, shortcut) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action)
{
    if (!action)
        return E_POINTER;
    *action = nullptr;
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    return Guarded([&] {
        const Target target = TargetOf(child);
        if (!target.valid)
            return E_INVALIDARG;
        if (!target.self)
            return GiveText(m_items->DefaultAction(target.item), action);
        if (!m_facts.defaultAction.empty())
            return GiveText(m_facts.defaultAction, action);
        IAccessible* standard = Standard();
        return standard ? standard->get_accDefaultAction(child, action) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::put_accName(VARIANT, BSTR)
{
    return m_connected ? E_NOTIMPL : RPC_E_DISCONNECTED;
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::put_accValue(VARIANT child, BSTR value)
{
    if (!m_connected)
        return RPC_E_DISCONNECTED;
    const Target target = TargetOf(child);
    IAccessible* standard = target.valid && target.self ? Standard() : nullptr;
    return standard ? standard->put_accValue(child, value) : E_NOTIMPL;
}
