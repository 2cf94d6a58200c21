#include "shell/DialogTheme.h"

#include "shell/WindowLook.h"

namespace {

// Tick boxes, option buttons and group boxes: buttons whose text lies on the dialog's ground.
bool LabelledButton(HWND control)
{
    wchar_t name[16] = {};
    if (!GetClassNameW(control, name, static_cast<int>(sizeof(name) / sizeof(name[0]))) ||
        lstrcmpiW(name, L"Button") != 0)
        return false;
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW;
}

}  // namespace

void DialogTheme::Attach(HWND dialog)
{
    m_dialog = dialog;
    Apply();
}

bool DialogTheme::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE) {
        if (message == WM_SYSCOLORCHANGE && m_dialog)
            SystemTheme::PassColourChangeToChildren(m_dialog);
        // The system's own handling goes on as well.
        if (m_system.OnSettingChange(message, wParam, lParam) && m_dialog)
            Apply();
        return false;
    }
    const HBRUSH brush = m_system.CtlColor(message, reinterpret_cast<HDC>(wParam));
    if (!brush)
        return false;
    result = reinterpret_cast<LRESULT>(brush);
    return true;
}

void DialogTheme::Apply()
{
    const bool dark = m_system.IsDark();
    WindowLook::SetDarkCaption(m_dialog, dark);
    // Controls that were never dark keep their theme untouched.
    for (HWND child = GetWindow(m_dialog, GW_CHILD); child && (dark || m_wasDark);
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (LabelledButton(child))
            WindowLook::SetUnthemed(child, dark);
        else
            WindowLook::SetDarkControlTheme(child, dark);
    }
    m_wasDark = dark;
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
