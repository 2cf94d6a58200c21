// The About box on its real template: both links bound with their targets,
// the banner painted in the top-left corner, and ShowAbout's banner lifetime.
#include <gtest/gtest.h>

#include "shell/AboutDlg.h"
#include "resource.h"

#include <string>
#include <vector>

namespace {

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

TEST(AboutBox, BothLinksAreBoundWithTheirTargetsAndOkStaysAPlainButton)
{
    CAboutDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND support = GetDlgItem(dialog.m_hWnd, IDC_LINK_SUPPORT);
    HWND home = GetDlgItem(dialog.m_hWnd, IDC_LINK_HOME);
    EXPECT_EQ(CWnd::FromHandlePermanent(support), &dialog.m_linkSupport);
    EXPECT_EQ(CWnd::FromHandlePermanent(home), &dialog.m_linkHome);
    EXPECT_EQ(dialog.m_btnOk.m_hWnd, GetDlgItem(dialog.m_hWnd, IDOK));
    EXPECT_NE(GetWindowLongPtrW(support, GWL_STYLE) & SS_NOTIFY, 0);

    // The captions come from the resources and the targets from the code; both from the same settings.
    const std::wstring supportCaption = TextOf(support);
    ASSERT_EQ(supportCaption.rfind(L"support: ", 0), 0u);
    EXPECT_EQ(std::wstring(dialog.m_linkSupport.GetTarget()), L"mailto:" + supportCaption.substr(9));

    const std::wstring homeTarget = dialog.m_linkHome.GetTarget().Str();
    const std::wstring homeCaption = TextOf(home);
    ASSERT_NE(homeTarget.find(L"://"), std::wstring::npos);
    const size_t hostStart = homeTarget.find(L"://") + 3;
    const std::wstring host = homeTarget.substr(hostStart, homeTarget.find(L'/', hostStart) - hostStart);
    EXPECT_NE(homeCaption.find(host), std::wstring::npos);
    EXPECT_NE(homeCaption, homeTarget);
}

TEST(AboutBox, TheBannerIsPaintedAtTheTopLeftInItsOwnSize)
{
    CBitmap banner;
    ASSERT_TRUE(banner.LoadBitmap(IDB_BANNER));
    BITMAP info = {};
    ASSERT_TRUE(banner.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 297);
    EXPECT_EQ(info.bmHeight, 68);

    CAboutDlg dialog;
    dialog.m_hBanner = banner.GetHandle();
    ASSERT_TRUE(dialog.Create(nullptr));
    SetWindowPos(dialog.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(dialog.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, banner.GetHandle());
    HDC screen = GetDC(dialog.m_hWnd);
    RECT client;
    GetClientRect(dialog.m_hWnd, &client);
    // Points of the banner that no control of the dialog covers.
    const std::vector<POINT> probes = {{2, 2}, {60, 20}, {150, 10}, {200, 40}, {296, 67}, {10, 60}};
    int compared = 0;
    for (POINT p : probes) {
        if (p.x >= client.right || p.y >= client.bottom)
            continue;
        POINT screenPoint = p;
        ClientToScreen(dialog.m_hWnd, &screenPoint);
        HWND above = WindowFromPoint(screenPoint);
        if (above != dialog.m_hWnd)
            continue;
        EXPECT_EQ(GetPixel(screen, p.x, p.y), GetPixel(memory, p.x, p.y)) << p.x << "," << p.y;
        ++compared;
    }
    EXPECT_GE(compared, 3);
    // Beyond the banner the dialog's own background shows.
    if (client.right > 300) {
        EXPECT_EQ(GetPixel(screen, 299, 5), GetSysColor(COLOR_BTNFACE));
    }
    ReleaseDC(dialog.m_hWnd, screen);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// ShowAbout runs modally; a timer inside its loop records what is open and presses Ok.
struct AboutSeen {
    bool open = false;
    bool visible = false;
    HBITMAP banner = nullptr;
    bool bannerAlive = false;
};
std::vector<AboutSeen> g_about;

BOOL CALLBACK FindAbout(HWND window, LPARAM found)
{
    if (TextOf(window) == L"About Quillary") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PressOk(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND about = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbout, reinterpret_cast<LPARAM>(&about));
    if (!about)
        return;
    KillTimer(nullptr, timer);
    AboutSeen seen;
    seen.open = true;
    seen.visible = IsWindowVisible(about) != FALSE;
    if (auto* dialog = dynamic_cast<CAboutDlg*>(CWnd::FromHandlePermanent(about))) {
        seen.banner = dialog->m_hBanner;
        seen.bannerAlive = GetObjectType(dialog->m_hBanner) == OBJ_BITMAP;
    }
    g_about.push_back(seen);
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(about, IDOK)));
}

TEST(ShowAbout, RunsTwiceInARowEachTimeWithAFreshBannerThatIsDeletedAfterwards)
{
    g_about.clear();
    for (int run = 0; run < 2; ++run) {
        UINT_PTR timer = SetTimer(nullptr, 0, 50, PressOk);
        CAboutDlg::ShowAbout();
        KillTimer(nullptr, timer);
        ASSERT_EQ(g_about.size(), static_cast<size_t>(run + 1));
        const AboutSeen& seen = g_about.back();
        EXPECT_TRUE(seen.open);
        EXPECT_TRUE(seen.visible) << "the modal dialog is not on screen";
        EXPECT_NE(seen.banner, nullptr);
        EXPECT_TRUE(seen.bannerAlive);
        EXPECT_EQ(GetObjectType(seen.banner), 0u) << "banner left behind";
    }
}

}  // namespace
