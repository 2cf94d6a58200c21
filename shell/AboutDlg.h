#pragma once
#include "controls/HyperLinkLabel.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "shell/DialogTheme.h"

// The About box: the banner, the program's icon and version, and two links,
// one starting a mail to the support address, one opening the home page.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

    // Runs the About box modally with the banner loaded for its lifetime.
    static void ShowAbout();

    static CString SupportTarget();
    static CString HomeTarget();

    HBITMAP m_hBanner = nullptr;  // painted, not owned
    CHyperLinkLabel m_linkHome;
    CHyperLinkLabel m_linkSupport;
    DialogTheme m_theme;
    CButton m_btnOk;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnPaint();
};
