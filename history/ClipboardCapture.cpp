#include "history/ClipboardCapture.h"

#include "framework/Handles.h"

namespace {

UINT RegisteredFormat(const wchar_t* name)
{
    return RegisterClipboardFormatW(name);
}

}  // namespace

void ClipboardCapture::JoinChain()
{
    m_state.nextViewer = SetClipboardViewer(m_window);
}

void ClipboardCapture::RejoinChain()
{
    m_state.suppressCapture = 1;
    ChangeClipboardChain(m_window, m_state.nextViewer);
    m_state.nextViewer = SetClipboardViewer(m_window);
    m_state.suppressCapture = 0;
}

void ClipboardCapture::LeaveChain()
{
    ChangeClipboardChain(m_window, m_state.nextViewer);
}

void ClipboardCapture::OnDrawClipboard(WPARAM wParam, LPARAM lParam)
{
    // The notification is always passed on first.
    if (m_state.nextViewer)
        SendMessageW(m_state.nextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
    if (reinterpret_cast<HWND>(wParam) != m_window && m_state.ready && !m_state.suppressCapture)
        CaptureClipboardText();
}

void ClipboardCapture::OnChangeCbChain(WPARAM wParam, LPARAM lParam)
{
    HWND leaving = reinterpret_cast<HWND>(wParam);
    if (leaving == m_state.nextViewer)
        m_state.nextViewer = reinterpret_cast<HWND>(lParam);
    else if (m_state.nextViewer)
        SendMessageW(m_state.nextViewer, WM_CHANGECBCHAIN, wParam, lParam);
}

bool ClipboardCapture::IsExcludedContent()
{
    if (IsClipboardFormatAvailable(RegisteredFormat(L"ExcludeClipboardContentFromMonitorProcessing")) ||
        IsClipboardFormatAvailable(RegisteredFormat(L"Clipboard Viewer Ignore")))
        return true;
    UINT history = RegisteredFormat(L"CanIncludeInClipboardHistory");
    if (!IsClipboardFormatAvailable(history))
        return false;
    HANDLE data = GetClipboardData(history);
    GlobalLockGuard lock(data);
    return lock.Data() && lock.Size() >= sizeof(DWORD) && *static_cast<const DWORD*>(lock.Data()) == 0;
}

void ClipboardCapture::CaptureClipboardText()
{
    // Reading delay-rendered data can make the system announce the same change
    // again from inside the read; that nested notice, and any later repeat of a
    // change already handled, add nothing.
    if (m_capturing)
        return;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (m_haveSequence && sequence != 0 && sequence == m_lastSequence)
        return;
    m_capturing = true;

    ClipboardSession clipboard(m_window);
    if (clipboard.IsOpen() && !IsExcludedContent()) {
        m_history.TrimHistory();
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        GlobalLockGuard lock(data);
        if (lock.Data())
            m_history.InsertTextEntry(static_cast<const wchar_t*>(lock.Data()), lock.Size() / sizeof(wchar_t));
    }
    clipboard.Close();

    m_lastSequence = GetClipboardSequenceNumber();
    m_haveSequence = true;
    m_capturing = false;
}
