#include "shell/OptionDlg.h"

#include "framework/CDataExchange.h"
#include "resource.h"

namespace {

constexpr int kMaxTextLength = 1000;

}  // namespace

COptionDlg::COptionDlg(CWnd* parent) : CDialog(IDD_OPTION, parent)
{
}

void COptionDlg::SetOptions(ClipOptions options)
{
    m_strBefore = options.m_strBefore;
    m_strAfter = options.m_strAfter;
    m_bAutoRun = options.m_bAutoRun;
    m_bCompoundPaste = options.m_bCompoundPaste;
}

void COptionDlg::GetOptions(ClipOptions* options) const
{
    options->m_strBefore = m_strBefore;
    options->m_strAfter = m_strAfter;
    options->m_bAutoRun = m_bAutoRun;
    options->m_bCompoundPaste = m_bCompoundPaste;
}

void COptionDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDOK, m_btnOk);
    DDX_Control(dx, IDCANCEL, m_btnCancel);
    DDX_Text(dx, IDC_EDIT_AFTER, m_strAfter);
    DDV_MaxChars(dx, m_strAfter, kMaxTextLength);
    DDX_Text(dx, IDC_EDIT_BEFORE, m_strBefore);
    DDV_MaxChars(dx, m_strBefore, kMaxTextLength);
    DDX_Check(dx, IDC_CHECK_AUTORUN, m_bAutoRun);
    DDX_Check(dx, IDC_CHECK_COMPOUND, m_bCompoundPaste);
}

BOOL COptionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    UpdateCompoundControls();
    return TRUE;
}

bool COptionDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_CHECK_COMPOUND && HIWORD(wParam) == BN_CLICKED) {
        UpdateCompoundControls();
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void COptionDlg::UpdateCompoundControls()
{
    HWND compound = ::GetDlgItem(m_hWnd, IDC_CHECK_COMPOUND);
    if (!compound)
        return;
    HWND after = ::GetDlgItem(m_hWnd, IDC_EDIT_AFTER);
    HWND before = ::GetDlgItem(m_hWnd, IDC_EDIT_BEFORE);
    if (!after || !before)
        return;
    // Disabled edits still take part in the data exchange, so their text is kept.
    const BOOL enable = ::SendMessageW(compound, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::EnableWindow(after, enable);
    ::EnableWindow(before, enable);
}
