#include "framework/CDataExchange.h"

#include "framework/CDialog.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>

namespace {

// DDV_MaxChars acts on the edit control of the DDX_Text just before it.
thread_local HWND t_lastTextControl = nullptr;

}  // namespace

HWND CDataExchange::ControlHandle(int id) const
{
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    HWND control = dx->ControlHandle(id);
    t_lastTextControl = control;
    if (!control)
        return;
    if (dx->m_bSaveAndValidate) {
        CWnd* wrapper = CWnd::FromHandle(control);
        value = wrapper->GetWindowText();
    } else {
        ::SetWindowTextW(control, value);
    }
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    CString text;
    if (!dx->m_bSaveAndValidate)
        text.Format(L"%d", value);
    DDX_Text(dx, id, text);
    if (!dx->m_bSaveAndValidate || text.IsEmpty())
        return;
    wchar_t* end = nullptr;
    const long long number = std::wcstoll(text, &end, 10);
    if (*end == L'\0' && number >= INT_MIN && number <= INT_MAX)
        value = static_cast<int>(number);
}

void DDX_HotKey(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->ControlHandle(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(LOWORD(::SendMessageW(control, HKM_GETHOTKEY, 0, 0)));
    else
        ::SendMessageW(control, HKM_SETHOTKEY, static_cast<WPARAM>(value & 0xFFFF), 0);
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->ControlHandle(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageW(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void DDV_MaxChars(CDataExchange* dx, const CString&, int maxChars)
{
    // The edit control's own limit refuses longer input, so saving has nothing to check.
    if (!dx->m_bSaveAndValidate && t_lastTextControl)
        ::SendMessageW(t_lastTextControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}
