// The tray icon with the notification area of Wine's desktop, its mouse
// reports, and the two pop-up menus shown for real (a timer inside the menu
// loop looks at the open menu and closes it or picks an item).
#include <gtest/gtest.h>

#include "framework/CListCtrl.h"
#include "shell/ContextMenus.h"
#include "shell/TrayIcon.h"
#include "resource.h"

#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- an owner window

std::vector<UINT> g_commands;
std::vector<HWND> g_nullMessages;  // windows that got WM_NULL

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        g_commands.push_back(LOWORD(wParam));
    if (message == WM_NULL)
        g_nullMessages.push_back(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateOwner()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuillaryTrayTestOwner";
        registered = RegisterClassW(&windowClass) != 0;
    }
    return CreateWindowExW(0, L"QuillaryTrayTestOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                           300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// ---------------------------------------------------------------- watching the menu loop

struct MenuSeen {
    bool shown = false;
    std::vector<UINT> ids;
    RECT where = {};
    HWND foreground = nullptr;
    size_t nullMessagesBefore = 0;  // WM_NULLs received before the menu closed
};

MenuSeen g_seen;
bool g_pickFirst = false;
HWND g_owner = nullptr;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK LookAtMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menuWindow = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&menuWindow));
    if (!menuWindow)
        return;
    KillTimer(nullptr, timer);
    g_seen.shown = true;
    g_seen.foreground = GetForegroundWindow();
    g_seen.nullMessagesBefore = g_nullMessages.size();
    GetWindowRect(menuWindow, &g_seen.where);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        g_seen.ids.push_back(GetMenuItemID(menu, i));
    if (g_pickFirst) {
        PostMessageW(g_owner, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(g_owner, WM_KEYDOWN, VK_RETURN, 0);
    } else {
        EndMenu();
    }
}

// Starts watching for a menu of this thread; a watch that never sees one is stopped by Stop.
class MenuWatch {
public:
    explicit MenuWatch(HWND owner, bool pickFirst = false)
    {
        g_seen = MenuSeen();
        g_pickFirst = pickFirst;
        g_owner = owner;
        g_commands.clear();
        g_nullMessages.clear();
        m_timer = SetTimer(nullptr, 0, 50, LookAtMenu);
    }
    ~MenuWatch() { KillTimer(nullptr, m_timer); }
    MenuWatch(const MenuWatch&) = delete;
    MenuWatch& operator=(const MenuWatch&) = delete;

private:
    UINT_PTR m_timer;
};

const std::vector<UINT> kTrayItems = {ID_MENU_OPTION, 0, ID_MENU_HELP, ID_MENU_ABOUT, 0, ID_MENU_PAUSE, 0, ID_MENU_EXIT};
const std::vector<UINT> kListItems = {ID_MENU_SET_TOP, 0, ID_MENU_PASTE_TO, ID_MENU_PASTE_PLAIN, ID_MENU_TYPE_IT, 0,
                                     ID_MENU_DELETE, ID_MENU_CLEAR_ALL};

// ---------------------------------------------------------------- the icon

TEST(TrayRecord, AddRecordNamesThePopupIconMessageAndTip)
{
    HWND owner = CreateOwner();
    const NOTIFYICONDATAW record = TrayIcon::MakeAddRecord(owner);
    EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(record.hWnd, owner);
    EXPECT_EQ(record.uID, 128u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, 0x040Au);
    EXPECT_STREQ(record.szTip, L"Quillary ^_^");

    const NOTIFYICONDATAW removal = TrayIcon::MakeRemoveRecord(owner);
    EXPECT_EQ(removal.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(removal.hWnd, owner);
    EXPECT_EQ(removal.uID, 128u);
    EXPECT_EQ(removal.uFlags, 0u);
    DestroyWindow(owner);
}

TEST(TrayIconShell, IconIsAddedOnceAndRemovedOnce)
{
    HWND owner = CreateOwner();
    ASSERT_TRUE(TrayIcon::Add(owner)) << "the notification area of Wine's desktop refused the icon";
    // The same window and id name one icon: adding it again is refused.
    EXPECT_FALSE(TrayIcon::Add(owner));
    EXPECT_TRUE(TrayIcon::Remove(owner));
    EXPECT_FALSE(TrayIcon::Remove(owner));
    DestroyWindow(owner);
}

// ---------------------------------------------------------------- mouse reports

TEST(TrayNotify, LeftPressOnOurIconSummonsAndNothingElseDoes)
{
    HWND owner = CreateOwner();
    int summoned = 0;
    auto summon = [&] { ++summoned; };
    MenuWatch watch(owner);
    TrayIcon::OnNotify(owner, 128, WM_LBUTTONDOWN, summon);
    EXPECT_EQ(summoned, 1);
    for (UINT mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MBUTTONUP})
        TrayIcon::OnNotify(owner, 128, mouse, summon);
    TrayIcon::OnNotify(owner, 127, WM_LBUTTONDOWN, summon);
    TrayIcon::OnNotify(owner, 129, WM_RBUTTONUP, summon);
    Pump();
    EXPECT_EQ(summoned, 1);
    EXPECT_FALSE(g_seen.shown);
    DestroyWindow(owner);
}

TEST(TrayNotify, RightReleaseOpensTheTrayMenuAtThePointer)
{
    HWND owner = CreateOwner();
    int summoned = 0;
    POINT pointer;
    GetCursorPos(&pointer);
    {
        MenuWatch watch(owner);
        TrayIcon::OnNotify(owner, 128, WM_RBUTTONUP, [&] { ++summoned; });
    }
    EXPECT_TRUE(g_seen.shown);
    EXPECT_EQ(g_seen.ids, kTrayItems);
    EXPECT_EQ(summoned, 0);
    // Left-aligned at the pointer, unless the screen edge pushed it.
    RECT screen;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    if (pointer.x + (g_seen.where.right - g_seen.where.left) <= screen.right) {
        EXPECT_EQ(g_seen.where.left, pointer.x);
    }

    // Only the low 16 bits name the mouse message.
    {
        MenuWatch watch(owner);
        TrayIcon::OnNotify(owner, 128, MAKELPARAM(WM_RBUTTONUP, 7), [&] { ++summoned; });
    }
    EXPECT_TRUE(g_seen.shown);
    DestroyWindow(owner);
}

TEST(TrayNotify, AChosenTrayItemArrivesAtThePopupAsACommand)
{
    HWND owner = CreateOwner();
    {
        MenuWatch watch(owner, true);
        TrayIcon::OnNotify(owner, 128, WM_RBUTTONUP, nullptr);
    }
    Pump();
    ASSERT_TRUE(g_seen.shown);
    EXPECT_EQ(g_commands, std::vector<UINT>{ID_MENU_OPTION});
    DestroyWindow(owner);
}

TEST(TrayNotify, OwnerIsInFrontWhileTheMenuIsUpAndGetsAMessageAfterIt)
{
    HWND owner = CreateOwner();
    HWND other = CreateOwner();
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(GetForegroundWindow(), other) << "the test needs another window in front";
    {
        MenuWatch watch(owner);
        TrayIcon::OnNotify(owner, 128, WM_RBUTTONUP, nullptr);
    }
    Pump();
    ASSERT_TRUE(g_seen.shown);
    // Windows dismisses the menu on a click elsewhere only with its owner in front.
    EXPECT_EQ(g_seen.foreground, owner);
    // The WM_NULL that Windows needs once the menu has closed.
    EXPECT_EQ(g_seen.nullMessagesBefore, 0u);
    EXPECT_EQ(g_nullMessages, std::vector<HWND>{owner});
    DestroyWindow(other);
    DestroyWindow(owner);
}

// ---------------------------------------------------------------- the list's menu

class ListMenu : public testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateOwner();
        HWND window = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                      0, 0, 280, 260, owner, reinterpret_cast<HMENU>(IDC_LIST_HISTORY),
                                      GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(list.SubclassWindow(window));
        list.InsertColumn(0, L"Txt", LVCFMT_LEFT, 250);
        list.InsertItem(LVIF_TEXT, 0, L"first", 0, 0, 0, 0);
        list.InsertItem(LVIF_TEXT, 1, L"second", 0, 0, 0, 0);
    }
    void TearDown() override { DestroyWindow(owner); }

    POINT ScreenPointOf(int item)
    {
        RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
        list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds));
        POINT point = {bounds.left + 10, (bounds.top + bounds.bottom) / 2};
        ClientToScreen(list.m_hWnd, &point);
        return point;
    }

    HWND owner = nullptr;
    CListCtrl list;
};

TEST_F(ListMenu, RightClickOnAnEntryShowsTheListMenu)
{
    {
        MenuWatch watch(owner);
        EXPECT_TRUE(ContextMenus::ShowListMenu(list, ScreenPointOf(1), owner));
    }
    Pump();
    EXPECT_TRUE(g_seen.shown);
    EXPECT_EQ(g_seen.ids, kListItems);
    EXPECT_EQ(g_seen.foreground, owner);
    EXPECT_EQ(g_nullMessages, std::vector<HWND>{owner});
    // "Type it" shows its key.
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_LIST_MENU));
    wchar_t text[64] = {};
    GetMenuStringW(menu, ID_MENU_TYPE_IT, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Type it\tCtrl+Shift+Enter");
    DestroyMenu(menu);
}

TEST_F(ListMenu, RightClickBelowTheLastEntryShowsNoMenu)
{
    POINT below = ScreenPointOf(1);
    below.y += 100;
    {
        MenuWatch watch(owner);
        EXPECT_FALSE(ContextMenus::ShowListMenu(list, below, owner));
        Pump();
    }
    EXPECT_FALSE(g_seen.shown);
}

TEST_F(ListMenu, AChosenListItemArrivesAtTheOwner)
{
    {
        MenuWatch watch(owner, true);
        ContextMenus::ShowListMenu(list, ScreenPointOf(0), owner);
    }
    Pump();
    ASSERT_TRUE(g_seen.shown);
    EXPECT_EQ(g_commands, std::vector<UINT>{ID_MENU_SET_TOP});
}

TEST(ResourceMenu, AMissingMenuResourceShowsNothing)
{
    HWND owner = CreateOwner();
    POINT point = {10, 10};
    EXPECT_FALSE(ContextMenus::Track(4242, 0, point, owner));
    DestroyWindow(owner);
}

}  // namespace
