// The popup follows the system's app mode while it runs: switched to dark, the
// list, its selected row, the search field, the "<>" strip and the Option dialog
// draw from the dark palette with readable text; switched back, they look as
// they did before.
#include "controls/Palette.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/Mouse.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/ScreenPixels.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/Wait.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <iomanip>
#include <sstream>

using namespace e2e;

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kAppModeValue[] = L"AppsUseLightTheme";

std::string Hex(COLORREF colour)
{
    std::ostringstream text;
    text << std::hex << std::setfill('0') << std::setw(6) << colour;
    return text.str();
}

// A child's client area on the screen, less a margin for its edge.
RECT ScreenClient(HWND window, int margin)
{
    RECT rect;
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    InflateRect(&rect, -margin, -margin);
    return rect;
}

class AppMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        DWORD size = sizeof(m_before);
        m_had = RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppModeValue, RRF_RT_REG_DWORD, nullptr,
                             &m_before, &size) == ERROR_SUCCESS;
        ASSERT_TRUE(Switch(1));
        ASSERT_TRUE(m_quillary.Start());
        m_popup = m_quillary.WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
    }
    void TearDown() override
    {
        if (m_had)
            Switch(m_before);
        else if (RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppModeValue) == ERROR_SUCCESS)
            Broadcast();
    }

    // As Windows does when the user picks an app mode: the value, then the broadcast.
    static bool Switch(DWORD appsUseLightTheme)
    {
        return RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppModeValue, REG_DWORD, &appsUseLightTheme,
                               sizeof(appsUseLightTheme)) == ERROR_SUCCESS &&
               Broadcast();
    }
    static bool Broadcast()
    {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                   reinterpret_cast<LPARAM>(L"ImmersiveColorSet"), SMTO_ABORTIFHUNG, 5000,
                                   &answer) != 0;
    }

    // The grounds of the parts the user sees, top to bottom.
    struct Grounds {
        COLORREF search, list, selected, strip;
    };
    Grounds Read() const
    {
        const RECT selected = SelectedRow();
        return {GroundColour(ScreenClient(GetDlgItem(m_popup, kSearchFieldId), 2)), GroundColour(RowsBelow()),
                GroundColour(selected), GroundColour(ScreenClient(GetDlgItem(m_popup, kOptionsButtonId), 3))};
    }
    // The first row, which the test selects, on the screen.
    RECT SelectedRow() const
    {
        RECT row = RemoteListView(m_list).ItemRect(0, LVIR_BOUNDS).value_or(RECT{});
        MapWindowPoints(m_list, nullptr, reinterpret_cast<POINT*>(&row), 2);
        row.left += 24;  // right of the icon
        return row;
    }
    // The list below its rows: the ground alone.
    RECT RowsBelow() const
    {
        RECT rows = ScreenClient(m_list, 1);
        rows.top = SelectedRow().bottom + 2 * (SelectedRow().bottom - SelectedRow().top) + 2;
        return rows;
    }

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
    bool m_had = false;
    DWORD m_before = 1;
};

TEST_F(AppMode, ThePopupTurnsDarkWithReadableTextAndBackToItsLightLook)
{
    ASSERT_TRUE(PutTextOnClipboard(L"WMWMWMWMWMWM"));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(m_list).ItemCount() >= 1; }));
    ASSERT_TRUE(PutTextOnClipboard(L"MWMWMWMWMWMW"));
    ASSERT_TRUE(WaitUntil([&] { return RemoteListView(m_list).ItemCount() >= 2; }));
    ASSERT_TRUE(SelectOnlyRows(m_list, {0}));
    SetForegroundWindow(m_popup);
    SetFocus(m_list);
    ASSERT_TRUE(WaitUntil([&] { return Read().list != CLR_INVALID; }));
    const Grounds light = Read();

    const Palette dark = Palette::Dark();
    ASSERT_TRUE(Switch(0));
    const bool turned = WaitUntil([&] {
        const Grounds now = Read();
        return now.list == dark.list && now.search == dark.field && now.strip == dark.face &&
               now.selected == dark.selection;
    });
    const Grounds seen = Read();
    EXPECT_TRUE(turned) << "list " << Hex(seen.list) << ", search " << Hex(seen.search) << ", strip "
                        << Hex(seen.strip) << ", selected row " << Hex(seen.selected);
    RECT frame;
    GetWindowRect(m_popup, &frame);
    SaveScreenBitmap(frame, L"popup_dark.bmp");

    RECT unselected = SelectedRow();
    OffsetRect(&unselected, 0, unselected.bottom - unselected.top);
    const struct {
        const char* what;
        RECT rect;
        COLORREF ground;
    } texts[] = {{"row", unselected, dark.list}, {"selected row", SelectedRow(), dark.selection}};
    for (const auto& text : texts) {
        const COLORREF ink = FarthestColour(text.rect, text.ground, Palette::Contrast);
        EXPECT_GE(Palette::Contrast(ink, text.ground), 4.5) << text.what << ": " << Hex(ink) << " on " << Hex(text.ground);
    }

    // The list's menu draws its items from the dark palette.
    const RECT row = SelectedRow();
    ASSERT_TRUE(ClickAt({row.left + 20, (row.top + row.bottom) / 2}, 3));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }))
        << "no menu opened";
    const RECT items = ScreenClient(menu, 3);
    EXPECT_TRUE(WaitUntil([&] { return GroundColour(items) == dark.menu; })) << "menu " << Hex(GroundColour(items));
    const COLORREF menuInk = FarthestColour(items, dark.menu, Palette::Contrast);
    EXPECT_GE(Palette::Contrast(menuInk, dark.menu), 4.5) << "menu text " << Hex(menuInk);
    RECT menuFrame;
    GetWindowRect(menu, &menuFrame);
    SaveScreenBitmap(menuFrame, L"menu_dark.bmp");
    ASSERT_TRUE(PressKeys("Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));

    // The Option dialog opens dark, and turns light with the popup while it is open.
    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kOptionCommand, 0), 0);
    const HWND options = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(options, nullptr);
    const HWND label = FindChildWithText(options, L"before:");
    ASSERT_NE(label, nullptr);
    const RECT labelRect = ScreenClient(label, 0);
    EXPECT_TRUE(WaitUntil([&] { return GroundColour(labelRect) == dark.window; }))
        << "Option dialog's ground " << Hex(GroundColour(labelRect));
    const COLORREF labelInk = FarthestColour(labelRect, dark.window, Palette::Contrast);
    EXPECT_GE(Palette::Contrast(labelInk, dark.window), 4.5) << "label " << Hex(labelInk);
    RECT dialogFrame;
    GetWindowRect(options, &dialogFrame);
    SaveScreenBitmap(dialogFrame, L"options_dark.bmp");

    ASSERT_TRUE(Switch(1));
    EXPECT_TRUE(WaitUntil([&] { return GroundColour(labelRect) == GetSysColor(COLOR_BTNFACE); }))
        << "Option dialog's ground after the switch back " << Hex(GroundColour(labelRect));
    ASSERT_TRUE(PostClick(GetDlgItem(options, IDCANCEL)));
    ASSERT_TRUE(WaitUntilGone(options));

    const bool back = WaitUntil([&] {
        const Grounds now = Read();
        return now.list == light.list && now.search == light.search && now.strip == light.strip &&
               now.selected == light.selected;
    });
    const Grounds after = Read();
    EXPECT_TRUE(back) << "list " << Hex(after.list) << " (was " << Hex(light.list) << "), search "
                      << Hex(after.search) << " (was " << Hex(light.search) << "), strip " << Hex(after.strip)
                      << " (was " << Hex(light.strip) << "), selected " << Hex(after.selected) << " (was "
                      << Hex(light.selected) << ")";
}

}  // namespace
