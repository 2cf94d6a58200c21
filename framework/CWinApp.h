#pragma once
#include "framework/CWnd.h"

// The application object. Exactly one exists, as a global of the program; the
// entry point runs its InitInstance and ends the process when that returns.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Kept for callers written against the classic framework: common controls 6
    // already give dialogs their three-dimensional look.
    BOOL Enable3dControls() { return TRUE; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// ActiveX control containment is not offered; the call exists for the start-up sequence.
inline void AfxEnableControlContainer() {}
// Runs the application object; the program's wWinMain calls it.
int AfxWinMain(HINSTANCE instance);
