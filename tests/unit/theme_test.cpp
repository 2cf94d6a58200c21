// The theme the program draws with: high contrast wins, the app mode picks
// light or dark, every text and mark of every palette stands out from its
// ground, and the popup's list follows the system's colours while it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "controls/KelvoMenu.h"
#include "controls/Palette.h"
#include "framework/Handles.h"
#include "shell/SystemTheme.h"
#include "shell/ThemeRule.h"
#include "shell/popup/PopupTheme.h"

namespace {

TEST(ThemeRule, HighContrastWinsAndAMissingValueMeansLight)
{
    const DWORD light = 1;
    const DWORD dark = 0;
    struct Case {
        bool highContrast;
        const DWORD* appsUseLightTheme;
        ThemeKind expected;
    } const cases[] = {
        {false, nullptr, ThemeKind::Light},       {false, &light, ThemeKind::Light},
        {false, &dark, ThemeKind::Dark},          {true, &dark, ThemeKind::HighContrast},
        {true, &light, ThemeKind::HighContrast},  {true, nullptr, ThemeKind::HighContrast},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThemeRule::Choose(c.highContrast, c.appsUseLightTheme), c.expected)
            << "high contrast " << c.highContrast << ", value "
            << (c.appsUseLightTheme ? static_cast<int>(*c.appsUseLightTheme) : -1);
}

TEST(Palette, ContrastRatioMatchesTheKnownValues)
{
    EXPECT_NEAR(Palette::Contrast(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(Palette::Contrast(RGB(255, 255, 255), RGB(0, 0, 0)), 21.0, 1e-9);
    EXPECT_NEAR(Palette::Contrast(RGB(119, 119, 119), RGB(255, 255, 255)), 4.48, 0.01);
    EXPECT_NEAR(Palette::Contrast(RGB(255, 0, 0), RGB(255, 255, 255)), 4.0, 0.01);
    EXPECT_DOUBLE_EQ(Palette::Contrast(RGB(40, 90, 200), RGB(40, 90, 200)), 1.0);
}

// Windows 10's and 11's default light colours, as GetSysColor gives them.
COLORREF WindowsLightColour(int index)
{
    switch (index) {
    case COLOR_WINDOW: case COLOR_BTNHIGHLIGHT: case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: case COLOR_MENU: return RGB(240, 240, 240);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HOTLIGHT: return RGB(0, 102, 204);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    default: return RGB(0, 0, 0);
    }
}

// The standard high-contrast themes, as GetSysColor gives them while one is on.
COLORREF HighContrastBlackColour(int index)
{
    switch (index) {
    case COLOR_WINDOW: case COLOR_BTNFACE: case COLOR_MENU: case COLOR_INFOBK: case COLOR_HIGHLIGHTTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(26, 235, 255);
    case COLOR_GRAYTEXT: return RGB(63, 242, 63);
    case COLOR_HOTLIGHT: return RGB(255, 255, 0);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    default: return RGB(255, 255, 255);
    }
}

COLORREF HighContrastWhiteColour(int index)
{
    switch (index) {
    case COLOR_WINDOWTEXT: case COLOR_BTNTEXT: case COLOR_MENUTEXT: case COLOR_INFOTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(55, 0, 110);
    case COLOR_GRAYTEXT: return RGB(96, 0, 0);
    case COLOR_HOTLIGHT: return RGB(0, 0, 159);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    default: return RGB(255, 255, 255);
    }
}

// Every text and every check mark drawn from a palette against the ground it is drawn
// on, in each mode: text 4.5:1, marks 3:1.
TEST(Palette, EveryTextAndMarkStandsOutFromItsGroundInEachMode)
{
    struct Case {
        const char* name;
        Palette palette;
        double leastText;
    } const cases[] = {
        // The system's own selection (white on its blue) is 4.499:1; the light
        // palette is the system's, so that is what it is held to.
        {"Windows light", Palette::Light(WindowsLightColour), 4.49},
        {"dark", Palette::Dark(), Palette::kTextContrast},
        {"High Contrast Black", Palette::HighContrast(HighContrastBlackColour), Palette::kTextContrast},
        {"High Contrast White", Palette::HighContrast(HighContrastWhiteColour), Palette::kTextContrast},
    };
    for (const Case& c : cases) {
        const Palette& p = c.palette;
        for (const Palette::TextPair& pair : p.TextPairs())
            EXPECT_GE(Palette::Contrast(pair.text, pair.background), c.leastText) << c.name << ": " << pair.what;
        // The icon menus' ticks (and dots, in the same colours), in each style and state.
        const COLORREF mark = p.Colour(COLOR_MENUTEXT);
        const struct {
            const char* what;
            KelvoMenu::CheckColours colours;
        } marks[] = {
            {"tick", KelvoMenu::ClassicCheckColours(p.Colour(COLOR_MENU), mark, FALSE)},
            {"tick, selected", KelvoMenu::ClassicCheckColours(p.Colour(COLOR_MENU), mark, TRUE)},
            {"tick, XP theme", KelvoMenu::ClassicCheckColours(p.Colour(COLOR_BTNFACE), mark, FALSE)},
            {"tick, flat", KelvoMenu::FlatCheckColours(p.Colour(COLOR_HIGHLIGHT), p.Colour(COLOR_BTNFACE), mark)},
        };
        for (const auto& m : marks)
            EXPECT_GE(Palette::Contrast(m.colours.mark, m.colours.box), Palette::kMarkContrast)
                << c.name << ": " << m.what;
    }
    const Palette dark = Palette::Dark();
    EXPECT_GE(Palette::Contrast(dark.grayText, dark.face), 4.5) << "dark disabled text";
    EXPECT_TRUE(dark.dark);
    EXPECT_FALSE(Palette::Light(WindowsLightColour).dark);
    // Nothing of our own under high contrast: links in the theme's link colour.
    const Palette black = Palette::HighContrast(HighContrastBlackColour);
    for (COLORREF link : {black.link, black.linkVisited, black.linkHover})
        EXPECT_EQ(link, RGB(255, 255, 0));
}

// The registry value and the broadcast, as Windows sends them when the user
// switches the app mode; the value is put back whatever happens.
class AppModeValue : public ::testing::Test {
protected:
    void SetUp() override { m_had = SystemTheme::ReadAppsUseLightTheme(m_before); }
    void TearDown() override
    {
        if (m_had)
            Write(m_before);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"AppsUseLightTheme");
    }
    static void Write(DWORD value)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"AppsUseLightTheme", REG_DWORD, &value, sizeof(value)),
                  ERROR_SUCCESS);
    }
    static LPARAM Area(const wchar_t* name) { return reinterpret_cast<LPARAM>(name); }

    static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    bool m_had = false;
    DWORD m_before = 1;
};

TEST_F(AppModeValue, OnlyTheColourSetChangeSwitchesThePalette)
{
    Write(1);
    SystemTheme theme;
    ASSERT_FALSE(theme.IsDark());
    Write(0);
    EXPECT_FALSE(theme.OnSettingChange(WM_SETTINGCHANGE, 0, Area(L"intl"))) << "another area changed";
    EXPECT_FALSE(theme.IsDark());
    EXPECT_TRUE(theme.OnSettingChange(WM_SETTINGCHANGE, 0, Area(L"ImmersiveColorSet")));
    EXPECT_TRUE(theme.IsDark());
    EXPECT_EQ(theme.Colours().list, Palette::Dark().list);
    EXPECT_FALSE(theme.OnSettingChange(WM_SETTINGCHANGE, 0, Area(L"ImmersiveColorSet"))) << "nothing new";

    const WindowDC screen(nullptr);
    EXPECT_NE(theme.CtlColor(WM_CTLCOLOREDIT, screen.Get()), nullptr);
    EXPECT_EQ(GetTextColor(screen.Get()), Palette::Dark().fieldText);

    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"AppsUseLightTheme");
    EXPECT_TRUE(theme.OnSettingChange(WM_SETTINGCHANGE, 0, Area(L"ImmersiveColorSet")));
    EXPECT_FALSE(theme.IsDark()) << "a missing value means light";
    EXPECT_EQ(theme.CtlColor(WM_CTLCOLOREDIT, screen.Get()), nullptr) << "light keeps the system's colours";
}

// The system's colours changed while the program runs, as a switch to or from a
// high-contrast theme changes them (Windows then sends WM_SYSCOLORCHANGE), with the
// popup's list in a window that hands the theme its messages first. Wine keeps each
// program's colours apart, so only a change made in this process reaches its
// windows; they are put back at the end whatever happens.
class SystemColours : public AppModeValue {
protected:
    void SetUp() override
    {
        AppModeValue::SetUp();
        Write(1);
        for (size_t i = 0; i < kCount; ++i)
            m_before[i] = GetSysColor(kIndices[i]);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = L"QuillaryThemeTest";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        m_list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 200, 200, m_window, nullptr,
                                 nullptr, nullptr);
        s_theme = &m_theme;
        m_theme.Attach({m_window, m_list, nullptr, nullptr, nullptr});
    }
    void TearDown() override
    {
        SetSysColors(static_cast<int>(kCount), kIndices, m_before);
        s_theme = nullptr;
        DestroyWindow(m_window);
        AppModeValue::TearDown();
    }
    static bool Set(COLORREF window, COLORREF text)
    {
        const COLORREF colours[kCount] = {window, text};
        return SetSysColors(static_cast<int>(kCount), kIndices, colours) != FALSE;
    }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        LRESULT result = 0;
        if (s_theme && s_theme->OnMessage(message, wParam, lParam, result))
            return result;
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static constexpr size_t kCount = 2;
    static constexpr int kIndices[kCount] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    static inline PopupTheme* s_theme = nullptr;
    COLORREF m_before[kCount] = {};
    PopupTheme m_theme;
    HWND m_window = nullptr;
    HWND m_list = nullptr;
};

TEST_F(SystemColours, ThePopupsListFollowsTheSystemsColoursThereAndBack)
{
    const HWND list = m_list;
    const COLORREF ground = m_before[0];
    const COLORREF text = m_before[1];
    ASSERT_EQ(ListView_GetBkColor(list), ground);

    // High Contrast Black's window colours.
    ASSERT_TRUE(Set(RGB(0, 0, 0), RGB(255, 255, 255)));
    EXPECT_EQ(ListView_GetBkColor(list), RGB(0, 0, 0)) << "the list's ground stayed as it was at start";
    EXPECT_EQ(ListView_GetTextBkColor(list), RGB(0, 0, 0));
    EXPECT_EQ(ListView_GetTextColor(list), RGB(255, 255, 255));

    ASSERT_TRUE(Set(ground, text));
    EXPECT_EQ(ListView_GetBkColor(list), ground);
    EXPECT_EQ(ListView_GetTextBkColor(list), ground);
    EXPECT_EQ(ListView_GetTextColor(list), text);
}

// High contrast on, as the user's switch in the settings sets it; back off at the end.
void SetHighContrast(bool on)
{
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, SPIF_SENDCHANGE);
}

TEST_F(AppModeValue, HighContrastWinsOverTheDarkAppMode)
{
    Write(0);
    SetHighContrast(true);
    const bool on = SystemTheme::HighContrastOn();
    SystemTheme theme;
    SetHighContrast(false);
    if (!on)
        GTEST_SKIP() << "this system does not turn high contrast on through SPI_SETHIGHCONTRAST";
    EXPECT_EQ(theme.Kind(), ThemeKind::HighContrast);
    EXPECT_FALSE(theme.IsDark());
    EXPECT_EQ(theme.Colours().list, GetSysColor(COLOR_WINDOW));
}

}  // namespace
