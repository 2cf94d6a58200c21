#include "shell/popup/LockNotices.h"

#include <wtsapi32.h>

LockNotices::Calls LockNotices::SystemCalls()
{
    return {[](HWND window) { return WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE; },
            [](HWND window) { WTSUnRegisterSessionNotification(window); }};
}

UINT LockNotices::RetryDelay(int failures)
{
    constexpr UINT kFirst = 1000;
    constexpr UINT kLongest = 30000;
    // Doubling from one second; past the fifth failure the wait stays at its longest.
    return failures <= 0 ? kFirst : failures > 5 ? kLongest : kFirst << (failures - 1);
}

void LockNotices::Start(HWND window)
{
    m_window = window;
    m_failures = 0;
    Request();
}

bool LockNotices::OnTimer(UINT_PTR id)
{
    if (id != kRetryTimer)
        return false;
    KillTimer(m_window, kRetryTimer);
    if (!m_held && m_window)
        Request();
    return true;
}

void LockNotices::Stop()
{
    if (m_window)
        KillTimer(m_window, kRetryTimer);
    if (m_held)
        m_calls.unregisterWindow(m_window);
    m_held = false;
    m_window = nullptr;
}

void LockNotices::Request()
{
    m_held = m_calls.registerWindow(m_window);
    if (m_held)
        return;
    ++m_failures;
    SetTimer(m_window, kRetryTimer, RetryDelay(m_failures), nullptr);
}
