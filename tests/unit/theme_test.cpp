// The theme the program draws with: high contrast wins, the app mode picks
// light or dark, and every text of every palette stands out from its ground.
#include <gtest/gtest.h>

#include "controls/Palette.h"
#include "framework/Handles.h"
#include "shell/SystemTheme.h"
#include "shell/ThemeRule.h"

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

TEST(Palette, EveryTextStandsOutFromItsGround)
{
    struct Case {
        const char* name;
        Palette palette;
        double least;
    } const cases[] = {
        {"dark", Palette::Dark(), 4.5},
        // The system's own selection (white on its blue) is 4.499:1; the light
        // palette is the system's, so that is what it is held to.
        {"Windows light", Palette::Light(WindowsLightColour), 4.49},
    };
    for (const Case& c : cases)
        for (const Palette::TextPair& pair : c.palette.TextPairs())
            EXPECT_GE(Palette::Contrast(pair.text, pair.background), c.least) << c.name << ": " << pair.what;
    const Palette dark = Palette::Dark();
    EXPECT_GE(Palette::Contrast(dark.grayText, dark.face), 4.5) << "dark disabled text";
    EXPECT_TRUE(dark.dark);
    EXPECT_FALSE(Palette::Light(WindowsLightColour).dark);
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
