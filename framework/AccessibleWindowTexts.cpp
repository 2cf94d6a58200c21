// The texts, role and state that a screen reader reads of the window and of its items.
#include "framework/AccessibleWindow.h"

#include "framework/AccessibleCalls.h"

using accessible_calls::GiveText;
using accessible_calls::SetChild;

HRESULT AccessibleWindow::ReadText(const VARIANT& child, BSTR* text, ItemText ofItem, const std::wstring& given,
                                   SystemText ofSystem)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return ForTarget(child, [&](const Target& target) {
        if (!target.self)
            return ofItem ? GiveText((m_items->*ofItem)(target.item), text) : S_FALSE;
        if (!given.empty())
            return GiveText(given, text);
        IAccessible* standard = Standard();
        return standard ? (standard->*ofSystem)(child, text) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accName(VARIANT child, BSTR* name)
{
    return ReadText(child, name, &AccessibleItems::Name, m_facts.name, &IAccessible::get_accName);
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accValue(VARIANT child, BSTR* value)
{
    return ReadText(child, value, nullptr, std::wstring(), &IAccessible::get_accValue);
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accDescription(VARIANT child, BSTR* description)
{
    return ReadText(child, description, &AccessibleItems::Description, m_facts.description,
                    &IAccessible::get_accDescription);
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role)
        return E_POINTER;
    VariantInit(role);
    return ForTarget(child, [&](const Target& target) {
        if (!target.self || m_facts.role) {
            SetChild(role, target.self ? m_facts.role : m_items->Role());
            return S_OK;
        }
        IAccessible* standard = Standard();
        return standard ? standard->get_accRole(child, role) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accState(VARIANT child, VARIANT* state)
{
    if (!state)
        return E_POINTER;
    VariantInit(state);
    return ForTarget(child, [&](const Target& target) {
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
    return ReadText(child, help, nullptr, std::wstring(), &IAccessible::get_accHelp);
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accHelpTopic(BSTR* file, VARIANT child, long* topic)
{
    if (!file || !topic)
        return E_POINTER;
    *file = nullptr;
    *topic = 0;
    return ForTarget(child, [&](const Target& target) {
        IAccessible* standard = target.self ? Standard() : nullptr;
        return standard ? standard->get_accHelpTopic(file, child, topic) : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    return ReadText(child, shortcut, nullptr, m_facts.keyboardShortcut, &IAccessible::get_accKeyboardShortcut);
}

HRESULT STDMETHODCALLTYPE AccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action)
{
    return ReadText(child, action, &AccessibleItems::DefaultAction, m_facts.defaultAction,
                    &IAccessible::get_accDefaultAction);
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
