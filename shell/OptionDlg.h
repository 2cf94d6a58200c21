#pragma once
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "history/ClipOptions.h"

// The options dialog: the before and after strings, compound paste and start
// with Windows. It works on a copy of the settings record.
class COptionDlg : public CDialog {
public:
    explicit COptionDlg(CWnd* parent = nullptr);

    // Takes the four settings the dialog edits; the rest of the record is not used.
    void SetOptions(ClipOptions options);
    // Writes the four settings back and leaves the other fields as they are.
    void GetOptions(ClipOptions* options) const;
    // The before and after edits are usable only while compound paste is ticked.
    void UpdateCompoundControls();

    CButton m_btnOk;
    CButton m_btnCancel;
    CString m_strAfter;
    CString m_strBefore;
    int m_bAutoRun = 0;
    int m_bCompoundPaste = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
};
