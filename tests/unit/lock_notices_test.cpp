// "Clear the history when Windows is locked" needs Windows to tell the popup of
// locks. When the session service is not up yet (a start at logon) the request
// fails: it is made again until it holds, and the Option dialog says meanwhile
// that the box waits for Windows.
#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "shell/OptionDlg.h"
#include "shell/popup/LockNotices.h"
#include "resource.h"

#include <string>

namespace {

// A session service that refuses the first `refusals` requests.
struct SessionService {
    int refusals = 0;
    int requests = 0;
    int withdrawals = 0;

    LockNotices::Calls Calls()
    {
        return {[this](HWND) { return ++requests > refusals; }, [this](HWND) { ++withdrawals; }};
    }
};

class Window {
public:
    Window() : m_window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~Window() { DestroyWindow(m_window); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

TEST(LockNotices, ARefusedRequestIsMadeAgainOnTheTimerUntilItHolds)
{
    Window window;
    SessionService service;
    service.refusals = 3;
    LockNotices notices(service.Calls());
    notices.Start(window.Get());
    EXPECT_FALSE(notices.Held());
    EXPECT_EQ(service.requests, 1);

    EXPECT_FALSE(notices.OnTimer(LockNotices::kRetryTimer + 1)) << "another timer";
    EXPECT_EQ(service.requests, 1);
    for (int tick = 0; tick < 3; ++tick)
        EXPECT_TRUE(notices.OnTimer(LockNotices::kRetryTimer));
    EXPECT_TRUE(notices.Held());
    EXPECT_EQ(service.requests, 4);
    EXPECT_TRUE(notices.OnTimer(LockNotices::kRetryTimer)) << "a tick already on its way";
    EXPECT_EQ(service.requests, 4) << "asked again after it held";

    notices.Stop();
    EXPECT_EQ(service.withdrawals, 1);
    EXPECT_FALSE(notices.Held());

    // One that never held is not withdrawn.
    SessionService down;
    down.refusals = 100;
    LockNotices refused(down.Calls());
    refused.Start(window.Get());
    refused.Stop();
    EXPECT_EQ(down.withdrawals, 0);
}

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The box's text in the dialog's font, with room for the tick box beside it, within the box.
bool TextFits(HWND box)
{
    const std::wstring text = TextOf(box);
    const WindowDC dc(box);
    const ScopedSelect font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    RECT client = {};
    GetClientRect(box, &client);
    return extent.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4 <= client.right;
}

TEST(LockNotices, TheOptionDialogSaysTheBoxWaitsForWindowsWhileNoNoticeHolds)
{
    CString waiting;
    ASSERT_TRUE(waiting.LoadString(IDS_CLEAR_ON_LOCK_WAITING));
    for (bool held : {false, true}) {
        COptionDlg dialog;
        dialog.SetLockNoticesHeld(held);
        ASSERT_TRUE(dialog.Create(nullptr));
        const HWND box = GetDlgItem(dialog.m_hWnd, IDC_CHECK_CLEAR_ON_LOCK);
        if (held) {
            EXPECT_EQ(TextOf(box), L"Clear the history when Windows is locked");
        } else {
            EXPECT_EQ(TextOf(box), waiting.GetString());
            EXPECT_TRUE(TextFits(box)) << "the box cuts its text short";
        }
        dialog.DestroyWindow();
    }
}

}  // namespace
