#include "shell/DialogTheme.h"

#include "shell/WindowLook.h"

void DialogTheme::Attach(HWND dialog)
{
    m_dialog = dialog;
    Apply();
}

bool DialogTheme::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE) {
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
         child = GetWindow(child, GW_HWNDNEXT))
        WindowLook::SetDarkControlTheme(child, dark);
    m_wasDark = dark;
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
