#include "framework/CDialog.h"

#include "framework/CDataExchange.h"
#include "framework/CMenu.h"
#include "framework/CWinApp.h"

#include <commctrl.h>

namespace {

// The dialog being created on this thread: the creation hook binds it to the
// dialog window before the window's first message, so that WM_CREATE,
// WM_SETFONT and WM_MEASUREITEM reach the object like every later message.
thread_local CDialog* t_creating = nullptr;
thread_local HHOOK t_creationHook = nullptr;
thread_local int t_modalDepth = 0;

bool IsDialogWindow(HWND window)
{
    wchar_t className[16] = {};
    return ::GetClassNameW(window, className, 16) > 0 && lstrcmpW(className, L"#32770") == 0;
}

}  // namespace

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CDialog::CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = t_creationHook;
    if (code == HCBT_CREATEWND && t_creating) {
        HWND window = reinterpret_cast<HWND>(wParam);
        // The dialog window is created before its controls; skip anything else.
        if (IsDialogWindow(window)) {
            CDialog* dialog = t_creating;
            t_creating = nullptr;
            // The hook has done its work: gone before the dialog's first message,
            // so a dialog created from this one's initialisation hooks afresh.
            UnhookWindowsHookEx(hook);
            t_creationHook = nullptr;
            dialog->SubclassWindow(window);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    // Normally the object already sees every message through its subclass and
    // this procedure only answers "not handled". If binding at creation failed,
    // bind at WM_INITDIALOG so the dialog still works.
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        if (dialog && !dialog->m_hWnd && !CWnd::FromHandlePermanent(window)) {
            try {
                if (dialog->SubclassWindow(window))
                    return dialog->OnInitDialog();
            } catch (...) {
                return FALSE;
            }
        }
    }
    return FALSE;
}

HWND CDialog::FindOwner() const
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this)
            owner = main->m_hWnd;
    }
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

bool CDialog::Create(HWND owner)
{
    if (m_hWnd)
        return false;
    // A dialog may be created while another one is being created (from its
    // initialisation): each creation keeps its own hook and restores the outer one.
    CDialog* const outerCreating = t_creating;
    const HHOOK outerHook = t_creationHook;
    t_creating = this;
    t_creationHook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    HWND window = ::CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), owner,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    if (t_creationHook)
        UnhookWindowsHookEx(t_creationHook);
    t_creationHook = outerHook;
    t_creating = outerCreating;
    if (!window) {
        m_hWnd = nullptr;
        return false;
    }
    return m_hWnd == window;
}

INT_PTR CDialog::DoModal()
{
    HWND owner = FindOwner();
    m_endModal = false;
    m_nModalResult = -1;
    if (!Create(owner)) {
        // EndDialog during the initialisation ends the dialog with its result.
        return m_endModal ? m_nModalResult : -1;
    }

    bool ownerDisabled = owner && ::IsWindowEnabled(owner) && owner != m_hWnd;
    if (ownerDisabled)
        ::EnableWindow(owner, FALSE);
    // A modal dialog is shown even when its template does not say visible.
    if (!::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);

    WPARAM quitCode = 0;
    const bool quit = RunModalLoop(quitCode);

    // The owner is enabled again before the dialog goes, so that the system
    // hands the activation back to it and not to some other program.
    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        DestroyWindow();
    }
    // A WM_QUIT that ended the loop belongs to the loop outside this one.
    if (quit)
        ::PostQuitMessage(static_cast<int>(quitCode));
    return m_nModalResult;
}

bool CDialog::RunModalLoop(WPARAM& quitCode)
{
    bool quit = false;
    m_inModalLoop = true;
    ++t_modalDepth;
    MSG msg;
    while (!m_endModal && m_hWnd) {
        // Wrappers made for passing handles are dropped when the outermost loop
        // goes idle: nested loops may run while an outer handler still uses one.
        if (t_modalDepth == 1 && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            CWnd::DeleteTempMap();
            CMenu::DeleteTempMap();
        }
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1)
            break;
        // One exception boundary for the whole message path, as at the window
        // procedures: a handler that fails (memory running out while joining large
        // entries, say) loses that message, never the program and its history.
        try {
            if (m_hWnd && (CWnd::WalkPreTranslateTree(m_hWnd, &msg) || ::IsDialogMessageW(m_hWnd, &msg)))
                continue;
        } catch (...) {
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    --t_modalDepth;
    m_inModalLoop = false;
    return quit;
}

void CDialog::EndDialog(INT_PTR result)
{
    m_nModalResult = result;
    m_endModal = true;
    if (m_inModalLoop) {
        // Wake the loop, which may be waiting in GetMessage.
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        DestroyWindow();
    }
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_INITDIALOG) {
        result = OnInitDialog();
        return true;
    }
    if (CWnd::OnMessage(message, wParam, lParam, result))
        return true;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            result = 0;
            return true;
        case IDCANCEL:
            OnCancel();
            result = 0;
            return true;
        default:
            break;
        }
    }
    return false;
}

void CDialog::PostNcDestroy()
{
    // A dialog destroyed from outside ends its modal loop too.
    if (m_inModalLoop) {
        m_endModal = true;
        ::PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
}
