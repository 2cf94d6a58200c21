#include "shell/AboutDlg.h"

#include "framework/CDC.h"
#include "framework/CDataExchange.h"
#include "framework/Dpi.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"
#include "resource.h"

// Both addresses are build settings (CMake cache variables).
#if !defined(QUILLARY_SUPPORT_MAIL) || !defined(QUILLARY_HOME_URL)
#error "QUILLARY_SUPPORT_MAIL and QUILLARY_HOME_URL must be defined by the build"
#endif

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent)
{
}

CString CAboutDlg::SupportTarget()
{
    return CString(L"mailto:") + QUILLARY_SUPPORT_MAIL;
}

CString CAboutDlg::HomeTarget()
{
    return CString(QUILLARY_HOME_URL);
}

void CAboutDlg::ShowAbout()
{
    CAboutDlg dialog;
    CBitmap banner;
    // Without the banner the box opens all the same.
    banner.LoadBitmap(IDB_BANNER);
    dialog.m_hBanner = banner.GetHandle();
    dialog.DoModal();
    banner.DeleteObject();
}

void CAboutDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LINK_HOME, m_linkHome);
    DDX_Control(dx, IDC_LINK_SUPPORT, m_linkSupport);
    DDX_Control(dx, IDOK, m_btnOk);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_linkSupport.SetTarget(SupportTarget());
    m_linkHome.SetTarget(HomeTarget());
    m_theme.Attach(m_hWnd);
    return TRUE;
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_PAINT) {
        OnPaint();
        result = 0;
        return true;
    }
    return CDialog::OnMessage(message, wParam, lParam, result) || m_theme.OnMessage(message, wParam, lParam, result);
}

void CAboutDlg::OnPaint()
{
    CPaintDC dc(this);
    if (!m_hBanner)
        return;
    CDC memory;
    if (!memory.CreateCompatibleDC(nullptr))
        return;
    BITMAP info = {};
    if (!::GetObjectW(m_hBanner, sizeof(info), &info))
        return;
    ScopedSelect selected(memory.GetSafeHdc(), m_hBanner);
    // The box grows with the DPI of its monitor, and the banner with it.
    const UINT dpi = dpi::OfWindow(m_hWnd);
    const int width = dpi::Scale(info.bmWidth, dpi);
    const int height = dpi::Scale(info.bmHeight, dpi);
    if (width == info.bmWidth && height == info.bmHeight) {
        dc.BitBlt(0, 0, width, height, memory.GetSafeHdc(), 0, 0, SRCCOPY);
        return;
    }
    ::SetStretchBltMode(dc.GetSafeHdc(), HALFTONE);
    ::SetBrushOrgEx(dc.GetSafeHdc(), 0, 0, nullptr);
    ::StretchBlt(dc.GetSafeHdc(), 0, 0, width, height, memory.GetSafeHdc(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}
