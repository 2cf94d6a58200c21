#include "tests/e2e/ScreenReader.h"

#include "tests/e2e/Wait.h"

#include <algorithm>

namespace e2e {

namespace {

// Spelled out: with -static the import library's IID_IAccessible is not the GUID.
const IID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The one listener whose hook runs now.
EventListener* g_listener = nullptr;

IAccessible* ObjectOf(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

VARIANT Child(long child)
{
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    return id;
}

// A text property; empty when the object has none.
template <typename Getter>
std::wstring TextOf(Getter get)
{
    BSTR text = nullptr;
    if (FAILED(get(&text)) || !text)
        return std::wstring();
    std::wstring copy(text, SysStringLen(text));
    SysFreeString(text);
    return copy;
}

long NumberOf(HRESULT result, VARIANT& value)
{
    const long number = SUCCEEDED(result) && value.vt == VT_I4 ? value.lVal : 0;
    VariantClear(&value);
    return number;
}

}  // namespace

ScreenReader::ScreenReader() : m_com(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
{
}

ScreenReader::~ScreenReader()
{
    if (m_com)
        CoUninitialize();
}

std::optional<Readout> ScreenReader::Read(HWND window, long child) const
{
    IAccessible* object = ObjectOf(window);
    if (!object)
        return std::nullopt;
    const VARIANT id = Child(child);
    Readout read;
    read.name = TextOf([&](BSTR* text) { return object->get_accName(id, text); });
    read.description = TextOf([&](BSTR* text) { return object->get_accDescription(id, text); });
    read.value = TextOf([&](BSTR* text) { return object->get_accValue(id, text); });
    read.keyboardShortcut = TextOf([&](BSTR* text) { return object->get_accKeyboardShortcut(id, text); });
    read.defaultAction = TextOf([&](BSTR* text) { return object->get_accDefaultAction(id, text); });
    VARIANT role;
    VariantInit(&role);
    read.role = NumberOf(object->get_accRole(id, &role), role);
    VARIANT state;
    VariantInit(&state);
    read.state = NumberOf(object->get_accState(id, &state), state);
    if (child == CHILDID_SELF)
        object->get_accChildCount(&read.children);
    object->Release();
    return read;
}

bool ScreenReader::DoDefaultAction(HWND window, long child) const
{
    IAccessible* object = ObjectOf(window);
    if (!object)
        return false;
    const HRESULT done = object->accDoDefaultAction(Child(child));
    object->Release();
    return SUCCEEDED(done);
}

IAccessible* ScreenReader::Hold(HWND window) const
{
    return ObjectOf(window);
}

EventListener::EventListener(DWORD processId, DWORD event)
{
    g_listener = this;
    m_hook = SetWinEventHook(event, event, nullptr, &EventListener::OnEvent, processId, 0, WINEVENT_OUTOFCONTEXT);
}

EventListener::~EventListener()
{
    if (m_hook)
        UnhookWinEvent(m_hook);
    g_listener = nullptr;
}

void CALLBACK EventListener::OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (!g_listener)
        return;
    IAccessible* source = nullptr;
    VARIANT id;
    VariantInit(&id);
    if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), &source, &id)) ||
        !source)
        return;
    g_listener->m_heard.push_back(TextOf([&](BSTR* text) { return source->get_accName(id, text); }));
    source->Release();
    VariantClear(&id);
}

bool EventListener::WaitToHear(const std::wstring& name) const
{
    return WaitUntil([&] {
        // Out-of-context events come as messages to this thread.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        return std::find(m_heard.begin(), m_heard.end(), name) != m_heard.end();
    });
}

}  // namespace e2e
