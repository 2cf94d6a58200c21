#include "shell/TargetSelection.h"

#include <cwctype>

namespace {

constexpr UINT kAnswerMs = 200;

// Edit, RichEdit20W, RICHEDIT50W, WindowsForms10.EDIT..., TEdit: they all answer EM_GETSEL and EM_SETSEL.
bool IsEdit(HWND window)
{
    wchar_t name[64] = {};
    if (!GetClassNameW(window, name, 64))
        return false;
    for (wchar_t* p = name; *p; ++p)
        *p = static_cast<wchar_t>(std::towlower(*p));
    return wcsstr(name, L"edit") != nullptr;
}

// The control's thread has taken in its activation and has the focus in the control.
bool HasFocusBack(HWND control)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info) && info.hwndFocus == control &&
           info.hwndActive == GetAncestor(control, GA_ROOT);
}

}  // namespace

void TargetSelection::Remember(HWND control)
{
    m_control = nullptr;
    if (!control || !IsEdit(control))
        return;
    // Only the packed answer: the pointers of EM_GETSEL would point into this process, not the target's.
    DWORD_PTR packed = 0;
    if (!SendMessageTimeoutW(control, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &packed))
        return;
    // -1: a position beyond 65535, which the packed answer cannot hold.
    if (static_cast<DWORD>(packed) == 0xFFFFFFFF)
        return;
    m_control = control;
    m_start = LOWORD(packed);
    m_end = HIWORD(packed);
}

void TargetSelection::PutBack(HWND control)
{
    if (!control || control != m_control || !IsWindow(control))
        return;
    // The control selects its text when the focus or the activation arrives, which its own
    // thread handles after we asked for them.
    const ULONGLONG start = GetTickCount64();
    while (!HasFocusBack(control) && GetTickCount64() - start < kFocusWaitMs)
        Sleep(5);
    SendMessageTimeoutW(control, EM_SETSEL, m_start, static_cast<LPARAM>(m_end), SMTO_ABORTIFHUNG, kAnswerMs,
                        nullptr);
}
