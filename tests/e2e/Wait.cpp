#include "tests/e2e/Wait.h"

#include <windows.h>

namespace e2e {

namespace {

constexpr DWORD kPollMilliseconds = 20;

// Answers messages other threads sent us; posted ones stay queued for whoever waits for them.
void HandleSentMessages()
{
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        HandleSentMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMilliseconds, QS_SENDMESSAGE);
    }
}

}  // namespace e2e
