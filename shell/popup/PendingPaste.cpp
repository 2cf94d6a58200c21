#include "shell/popup/PendingPaste.h"

void PendingPaste::Hold(HWND window, std::function<void()> paste)
{
    m_window = window;
    m_paste = std::move(paste);
    m_since = GetTickCount64();
    SetTimer(m_window, kTimer, kCheckMs, nullptr);
}

void PendingPaste::OnTimer(bool clipboardBusy)
{
    if (m_paste && clipboardBusy && GetTickCount64() - m_since < kGiveUpMs)
        return;
    // Taken first: the paste may pump messages, and this timer with them.
    std::function<void()> paste = std::move(m_paste);
    Drop();
    if (paste && !clipboardBusy)
        paste();
}

void PendingPaste::Drop()
{
    m_paste = nullptr;
    if (m_window)
        KillTimer(m_window, kTimer);
}
