// The popup follows the system's app mode while it runs: switched to dark, the
// list, its selected row, the entry icons, the search field and its hint, the
// "<>" strip, the list's menu, the preview and the Option dialog draw from the
// dark palette with readable text; switched back, they look as they did before.
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
#include <vector>
#include <sstream>

using namespace e2e;

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kAppModeValue[] = L"AppsUseLightTheme";
// The popup's message that shows the preview of the focused row.
constexpr UINT kShowFocusedMessage = WM_APP + 50;

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

    // The four corner pixels of a row's icon, where the icon itself draws nothing.
    std::vector<COLORREF> IconCorners(int row) const
    {
        RECT icon = RemoteListView(m_list).ItemRect(row, LVIR_ICON).value_or(RECT{});
        MapWindowPoints(m_list, nullptr, reinterpret_cast<POINT*>(&icon), 2);
        const auto pixel = [](LONG x, LONG y) { return GroundColour(RECT{x, y, x + 1, y + 1}); };
        return {pixel(icon.left, icon.top), pixel(icon.right - 1, icon.top), pixel(icon.left, icon.bottom - 1),
                pixel(icon.right - 1, icon.bottom - 1)};
    }
    RECT UnselectedRow() const
    {
        RECT row = SelectedRow();
        OffsetRect(&row, 0, row.bottom - row.top);
        return row;
    }

    // The icons sit on the rows' ground (the selected row's may show its selection
    // colour), and the rows' text is drawn in `text`.
    void ExpectRowsOn(const char* mode, COLORREF ground, COLORREF selection, COLORREF text) const
    {
        for (int row : {0, 1})
            for (COLORREF corner : IconCorners(row))
                EXPECT_TRUE(corner == ground || (row == 0 && corner == selection))
                    << mode << ": a corner of row " << row << "'s icon is " << Hex(corner) << " on a list of "
                    << Hex(ground);
        EXPECT_EQ(FarthestColour(UnselectedRow(), ground, Palette::Contrast), text) << mode << ": row text";
    }

    // The empty, unfocused search field shows its hint in `ink`.
    void ExpectHint(const char* mode, COLORREF field, COLORREF ink) const
    {
        EXPECT_EQ(FarthestColour(SearchText(), field, Palette::Contrast), ink) << mode << ": search hint";
    }
    RECT SearchText() const { return ScreenClient(GetDlgItem(m_popup, kSearchFieldId), 2); }

    // True once the popup's grounds are `expected`; says what they are otherwise.
    ::testing::AssertionResult Becomes(const Grounds& expected) const
    {
        const auto same = [](const Grounds& a, const Grounds& b) {
            return a.search == b.search && a.list == b.list && a.selected == b.selected && a.strip == b.strip;
        };
        if (WaitUntil([&] { return same(Read(), expected); }))
            return ::testing::AssertionSuccess();
        const Grounds seen = Read();
        return ::testing::AssertionFailure() << "search " << Hex(seen.search) << " (not " << Hex(expected.search)
                                             << "), list " << Hex(seen.list) << " (not " << Hex(expected.list)
                                             << "), selected row " << Hex(seen.selected) << " (not "
                                             << Hex(expected.selected) << "), strip " << Hex(seen.strip) << " (not "
                                             << Hex(expected.strip) << ")";
    }

    // The text inside `rect` stands out from `ground` by 4.5:1 at least.
    static void ExpectReadable(const char* what, const RECT& rect, COLORREF ground)
    {
        const COLORREF ink = FarthestColour(rect, ground, Palette::Contrast);
        EXPECT_GE(Palette::Contrast(ink, ground), 4.5) << what << ": " << Hex(ink) << " on " << Hex(ground);
    }

    static void SaveWindow(HWND window, const wchar_t* file)
    {
        RECT frame;
        GetWindowRect(window, &frame);
        SaveScreenBitmap(frame, file);
    }

    // A right click on the selected row opens the list's menu, drawn from `dark`.
    void ExpectDarkListMenu(const Palette& dark) const
    {
        const RECT row = SelectedRow();
        ASSERT_TRUE(ClickAt({row.left + 20, (row.top + row.bottom) / 2}, 3));
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }))
            << "no menu opened";
        const RECT items = ScreenClient(menu, 3);
        EXPECT_TRUE(WaitUntil([&] { return GroundColour(items) == dark.menu; })) << "menu " << Hex(GroundColour(items));
        ExpectReadable("menu", items, dark.menu);
        SaveWindow(menu, L"menu_dark.bmp");
        ASSERT_TRUE(PressKeys("Escape"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
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
    EXPECT_TRUE(Becomes({dark.field, dark.list, dark.selection, dark.face}));
    SaveWindow(m_popup, L"popup_dark.bmp");
    ExpectRowsOn("dark", dark.list, dark.selection, dark.listText);
    ExpectHint("dark", dark.field, dark.grayText);
    ExpectReadable("search hint", SearchText(), dark.field);
    ExpectReadable("row", UnselectedRow(), dark.list);
    ExpectReadable("selected row", SelectedRow(), dark.selection);
    ASSERT_NO_FATAL_FAILURE(ExpectDarkListMenu(dark));

    // The preview of the focused row, as a key that moves the focus shows it.
    PostMessageW(m_popup, kShowFocusedMessage, 0, 0);
    HWND preview = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (preview = FindWindowW(L"QuillaryEntryPreview", nullptr)) && IsWindowVisible(preview);
    })) << "no preview";
    const RECT previewText = ScreenClient(preview, 1);
    EXPECT_TRUE(WaitUntil([&] { return GroundColour(previewText) == dark.info; }))
        << "preview " << Hex(GroundColour(previewText));
    ExpectReadable("preview", previewText, dark.info);
    // The pointer leaving the list takes the preview away, as it would for a user.
    PostMessageW(m_list, WM_MOUSELEAVE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(preview); }));

    // The Option dialog opens dark, and turns light with the popup while it is open.
    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kOptionCommand, 0), 0);
    const HWND options = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(options, nullptr);
    const HWND label = FindChildWithText(options, L"before:");
    ASSERT_NE(label, nullptr);
    const RECT labelRect = ScreenClient(label, 0);
    EXPECT_TRUE(WaitUntil([&] { return GroundColour(labelRect) == dark.window; }))
        << "Option dialog's ground " << Hex(GroundColour(labelRect));
    ExpectReadable("Option dialog's label", labelRect, dark.window);
    SaveWindow(options, L"options_dark.bmp");

    ASSERT_TRUE(Switch(1));
    EXPECT_TRUE(WaitUntil([&] { return GroundColour(labelRect) == GetSysColor(COLOR_BTNFACE); }))
        << "Option dialog's ground after the switch back " << Hex(GroundColour(labelRect));
    ASSERT_TRUE(PostClick(GetDlgItem(options, IDCANCEL)));
    ASSERT_TRUE(WaitUntilGone(options));
    EXPECT_TRUE(Becomes(light)) << "after the switch back";
    ExpectRowsOn("light again", light.list, GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOWTEXT));
    // The system draws its own hint again, in its own grey.
    ExpectHint("light again", light.search, GetSysColor(COLOR_GRAYTEXT));
}

}  // namespace
