#pragma once
#include "framework/CString.h"

#include <windows.h>

class CDialog;
class CWnd;

// One pass of dialog data exchange: members to controls (load) or back (save).
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    HWND ControlHandle(int id) const;
};

// Binds control `id` of the dialog to `control` on the first exchange.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
// A number in an edit control. Text that is not a number leaves the value as it
// was: a dialog that needs more checks them before saving.
void DDX_Text(CDataExchange* dx, int id, int& value);
// A hot-key control's word: virtual key in the low byte, HOTKEYF_* in the high byte.
void DDX_HotKey(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// Limits the edit control that the previous DDX_Text addressed when loading.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
