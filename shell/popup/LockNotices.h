#pragma once
#include <windows.h>

#include <functional>

// Asks Windows to tell the popup when the session is locked (WM_WTSSESSION_CHANGE),
// for "Clear the history when Windows is locked". At a start at logon the session
// service may not be running yet and the request fails; it is made again on a
// timer (after 1, 2, 4, 8 and 16 seconds, then every 30) until it holds.
class LockNotices {
public:
    static constexpr UINT_PTR kRetryTimer = 0x5152;

    // The system's calls, or a test's.
    struct Calls {
        std::function<bool(HWND)> registerWindow;
        std::function<void(HWND)> unregisterWindow;
    };
    static Calls SystemCalls();

    explicit LockNotices(Calls calls = SystemCalls()) : m_calls(std::move(calls)) {}

    void Start(HWND window);
    // WM_TIMER: true when it was the retry timer (the request is made again).
    bool OnTimer(UINT_PTR id);
    // WM_DESTROY: no more retries; a request that held is withdrawn.
    void Stop();
    // True once Windows tells the popup of locks.
    bool Held() const { return m_held; }

    // Milliseconds before the next request after `failures` failed ones.
    static UINT RetryDelay(int failures);

private:
    void Request();

    Calls m_calls;
    HWND m_window = nullptr;
    bool m_held = false;
    int m_failures = 0;
};
