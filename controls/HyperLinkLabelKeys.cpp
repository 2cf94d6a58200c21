// The link label for people who do not use a mouse: reached with Tab, opened
// with Enter or Space, its focus shown, and read by screen readers as a link.
#include "controls/HyperLinkLabel.h"

#include "framework/AccessibleFacts.h"

#include <oleacc.h>

void CHyperLinkLabel::UpdateAccessible()
{
    // The name is the caption, which the system's object reads; the role and the action are a link's.
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_LINK;
    facts.description = m_strTarget.GetString();
    facts.defaultAction = L"Jump";
    facts.doDefault = [this] { OnClicked(); };
    facts.addedState = [this] {
        return static_cast<long>(STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE | (m_bVisited ? STATE_SYSTEM_TRAVERSED : 0));
    };
    SetAccessible(facts);
}

bool CHyperLinkLabel::OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter opens the link instead of pressing the dialog's default button.
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        result = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam != VK_RETURN && wParam != VK_SPACE)
            return false;
        OnClicked();
        result = 0;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate(TRUE);
        return false;
    case WM_PAINT:
        result = DefWindowProc(message, wParam, lParam);
        if (::GetFocus() == m_hWnd) {
            RECT client;
            GetClientRect(&client);
            WindowDC dc(m_hWnd);
            if (dc)
                ::DrawFocusRect(dc.Get(), &client);
        }
        return true;
    default:
        return false;
    }
}
