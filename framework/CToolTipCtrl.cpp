#include "framework/CToolTipCtrl.h"

CToolTipCtrl::~CToolTipCtrl()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    if (m_hWnd)
        return FALSE;
    HWND owner = parent ? parent->m_hWnd : nullptr;
    HWND window = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | style, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return FALSE;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return FALSE;
    }
    return TRUE;
}

TOOLINFOW CToolTipCtrl::MakeToolInfo(CWnd* window, UINT_PTR id)
{
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = window ? window->m_hWnd : nullptr;
    info.uId = id;
    info.hinst = GetModuleHandleW(nullptr);
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, const wchar_t* text, const RECT* rect, UINT_PTR id)
{
    TOOLINFOW info = MakeToolInfo(window, id);
    info.lpszText = const_cast<wchar_t*>(text ? text : L"");
    if (rect)
        info.rect = *rect;
    else if (window)
        window->GetClientRect(&info.rect);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const wchar_t* text, CWnd* window, UINT_PTR id)
{
    TOOLINFOW info = MakeToolInfo(window, id);
    info.lpszText = const_cast<wchar_t*>(text ? text : L"");
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}
