#include "app/ClipApp.h"

#include "framework/ComApartment.h"

#include "shell/AppTitle.h"
#include "shell/popup/ClipDlg.h"
#include "shell/SingleInstance.h"

#include <cstdlib>

CClipApp theApp;

BOOL CClipApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();

    // A running copy (or any top-level window with our exact title) is shown
    // instead; nothing of ours has been created or touched before this point.
    if (HWND running = FindWindowW(nullptr, kSingleInstanceTitle)) {
        CWnd::FromHandle(running)->ShowWindow(SW_SHOWNORMAL);
        std::exit(0);
    }
    // A copy started at the same moment may not have its window yet: the mutex decides.
    SingleInstance instance;
    if (!instance.IsFirst()) {
        SingleInstance::ShowRunningCopy();
        std::exit(0);
    }

    // Screen readers reach the popup's accessible objects through COM.
    ComApartment com;
    CClipDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
