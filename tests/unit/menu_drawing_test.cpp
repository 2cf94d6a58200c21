// Measuring and drawing of icon-menu items, and their glyphs, checked on the
// pixels of a memory DC.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "control_test_support.h"
#include "controls/KelvoMenu.h"
#include "controls/MenuBufferDC.h"
#include "framework/Handles.h"
#include "resource.h"
#include "test_resource_ids.h"

using control_test::Canvas;
using control_test::StyleGuard;

namespace {

constexpr COLORREF kSentinel = RGB(1, 2, 3);
const wchar_t kThemeKey[] = L"Software\\Microsoft\\Plus!\\Themes\\Current";

COLORREF Sys(int index)
{
    return GetSysColor(index);
}

// A popup menu with one item per test, drawn through DrawItem as the system would.
class MenuFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_menu.CreatePopupMenu()); }

    const KelvoMenuItem* Append(const wchar_t* text, UINT id, int glyph = -1, UINT flags = MF_STRING)
    {
        m_menu.AppendItem(text, flags, id, glyph);
        return m_menu.GetItem(m_menu.GetItemCount() - 1);
    }

    void Draw(Canvas& canvas, const KelvoMenuItem* record, UINT state, const RECT& rect)
    {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_MENU;
        item.itemID = static_cast<UINT>(record->m_commandId);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = reinterpret_cast<HWND>(m_menu.m_hMenu);
        item.hDC = canvas.hdc();
        item.rcItem = rect;
        item.itemData = reinterpret_cast<ULONG_PTR>(record);
        m_menu.DrawItem(&item);
    }

    MEASUREITEMSTRUCT Measure(const KelvoMenuItem* record)
    {
        MEASUREITEMSTRUCT item = {};
        item.CtlType = ODT_MENU;
        item.itemID = static_cast<UINT>(record->m_commandId);
        item.itemData = reinterpret_cast<ULONG_PTR>(record);
        m_menu.MeasureItem(&item);
        return item;
    }

    StyleGuard m_style;
    KelvoMenu m_menu;
};

// A canvas with the menu font selected, as the system hands a menu DC over.
class MenuCanvas : public Canvas {
public:
    MenuCanvas(int width, int height, COLORREF fill = kSentinel)
        : Canvas(width, height, fill), m_font(control_test::CreateMenuFont())
    {
        m_previous = SelectObject(hdc(), m_font.Get());
    }
    ~MenuCanvas() { SelectObject(hdc(), m_previous); }

private:
    UniqueFont m_font;
    HGDIOBJ m_previous = nullptr;
};

int ExtentWithFont(const std::wstring& text, HFONT font)
{
    WindowDC screen(GetDesktopWindow());
    HGDIOBJ previous = font ? SelectObject(screen.Get(), font) : nullptr;
    SIZE size = {};
    GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    if (previous)
        SelectObject(screen.Get(), previous);
    return size.cx;
}

// A device-compatible 16 x 15 glyph on the button face.
HBITMAP FaceGlyph()
{
    WindowDC screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), 16, 15);
    UniqueDC dc(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(dc.Get(), bitmap);
    RECT all = {0, 0, 16, 15};
    UniqueBrush face(CreateSolidBrush(Sys(COLOR_BTNFACE)));
    FillRect(dc.Get(), &all, face.Get());
    return bitmap;
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y)
{
    UniqueDC dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), bitmap);
    return GetPixel(dc.Get(), x, y);
}

void SetBitmapPixel(HBITMAP bitmap, int x, int y, COLORREF colour)
{
    UniqueDC dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), bitmap);
    SetPixel(dc.Get(), x, y, colour);
}

// An image of the shared list drawn transparently on the sentinel colour.
COLORREF SharedImagePixel(int index, int x, int y)
{
    Canvas canvas(16, 15, kSentinel);
    ImageList_Draw(KelvoMenu::s_sharedImages.GetSafeHandle(), index, canvas.hdc(), 0, 0, ILD_TRANSPARENT);
    return canvas.Pixel(x, y);
}

// Removes the theme key on the way out, so no other test sees it.
class ThemeKey {
public:
    ThemeKey() = default;
    ~ThemeKey() { RegDeleteKeyW(HKEY_CURRENT_USER, kThemeKey); }
    ThemeKey(const ThemeKey&) = delete;
    ThemeKey& operator=(const ThemeKey&) = delete;

    static bool Set(const wchar_t* value)
    {
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) !=
            ERROR_SUCCESS)
            return false;
        UniqueRegKey key(created);
        DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) ==
               ERROR_SUCCESS;
    }
};

}  // namespace

TEST(MenuLighten, MovesEachChannelTowardsWhite)
{
    const COLORREF colour = RGB(10, 100, 200);
    EXPECT_EQ(colour, KelvoMenu::Lighten(colour, 0.0));
    EXPECT_EQ(colour, KelvoMenu::Lighten(colour, 1.5));
    EXPECT_EQ(colour, KelvoMenu::Lighten(colour, -0.5));
    EXPECT_EQ(RGB(127, 127, 127), KelvoMenu::Lighten(RGB(0, 0, 0), 0.5));
    EXPECT_EQ(RGB(255, 255, 255), KelvoMenu::Lighten(colour, 1.0));
    // 10 + 0.3 * 245 = 83.5, 100 + 0.3 * 155 = 146.5, 200 + 0.3 * 55 = 216.5: truncated.
    EXPECT_EQ(RGB(83, 146, 216), KelvoMenu::Lighten(colour, 0.3));
}

TEST(MenuTheme, ClassicThemeFileNameEndsTheValueAndTheAnswerIsCached)
{
    StyleGuard guard;
    ThemeKey cleanup;
    RegDeleteKeyW(HKEY_CURRENT_USER, kThemeKey);
    StyleGuard::Use(7);
    EXPECT_FALSE(KelvoMenu::IsClassicThemeActive()) << "missing key";
    EXPECT_TRUE(KelvoMenu::IsXPThemeActive());
    EXPECT_TRUE(KelvoMenu::UsesFlatStyle());

    ASSERT_TRUE(ThemeKey::Set(L"C:\\WINDOWS\\Resources\\Themes\\windows classic.theme"));
    EXPECT_FALSE(KelvoMenu::IsClassicThemeActive()) << "the first answer is kept";
    KelvoMenu::ResetThemeCache();
    EXPECT_TRUE(KelvoMenu::IsClassicThemeActive());
    EXPECT_FALSE(KelvoMenu::IsXPThemeActive());
    EXPECT_FALSE(KelvoMenu::UsesFlatStyle());

    ASSERT_TRUE(ThemeKey::Set(L"Classic.theme"));
    KelvoMenu::ResetThemeCache();
    EXPECT_FALSE(KelvoMenu::IsClassicThemeActive()) << "shorter than the file name";
    ASSERT_TRUE(ThemeKey::Set(L"C:\\Themes\\Luna.theme"));
    KelvoMenu::ResetThemeCache();
    EXPECT_FALSE(KelvoMenu::IsClassicThemeActive());

    StyleGuard::Use(6);
    EXPECT_FALSE(KelvoMenu::IsXPThemeActive()) << "only version code 7 has the XP theme";
    EXPECT_FALSE(KelvoMenu::UsesFlatStyle());
}

TEST_F(MenuFixture, MeasuresTextPlusGlyphColumnInEachStyle)
{
    const KelvoMenuItem* record = Append(L"&Open\tCtrl+O", ID_TEST_OPEN);
    UniqueFont font(control_test::CreateMenuFont());
    int cyMenu = GetSystemMetrics(SM_CYMENU);

    StyleGuard::UseFlat();
    MEASUREITEMSTRUCT flat = Measure(record);
    EXPECT_EQ(static_cast<UINT>(ExtentWithFont(L"&Open\tCtrl+O", font.Get()) + 31), flat.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(cyMenu, 22)), flat.itemHeight);

    // Version code 6: a modern shell (menu font) drawn classic.
    StyleGuard::Use(6);
    MEASUREITEMSTRUCT classic = Measure(record);
    EXPECT_EQ(static_cast<UINT>(ExtentWithFont(L"&Open\tCtrl+O", font.Get()) + 33), classic.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(cyMenu, 19)), classic.itemHeight);

    // Version code 1 is no modern shell: the text is measured in the DC's own font.
    StyleGuard::Use(1);
    EXPECT_EQ(static_cast<UINT>(ExtentWithFont(L"&Open\tCtrl+O", nullptr) + 33), Measure(record).itemWidth);

    // Version code 0 measures with the single-line text calculation and widens by 3 per character width.
    StyleGuard::Use(0);
    RECT extent = {};
    {
        WindowDC screen(GetDesktopWindow());
        DrawTextW(screen.Get(), L"&Open\tCtrl+O", -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    }
    int width = extent.right - extent.left + 3;
    width += 3 * (width / 12);
    EXPECT_EQ(static_cast<UINT>(width + 33), Measure(record).itemWidth);
}

TEST_F(MenuFixture, SeparatorIsZeroWideAndHalfAnItemHigh)
{
    const KelvoMenuItem* separator = Append(L"", 0);
    int halfMenu = GetSystemMetrics(SM_CYMENU) >> 1;
    StyleGuard::UseFlat();
    EXPECT_EQ(0u, Measure(separator).itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(halfMenu, 11)), Measure(separator).itemHeight);
    StyleGuard::UseClassic();
    EXPECT_EQ(static_cast<UINT>(std::max(halfMenu, 9)), Measure(separator).itemHeight);

    // Taller glyphs show the relief pad of the flat style: (30 + 7) / 2 against (30 + 4) / 2.
    m_menu.SetGlyphSize(16, 30);
    StyleGuard::UseFlat();
    EXPECT_EQ(static_cast<UINT>(std::max(halfMenu, 18)), Measure(separator).itemHeight);
    StyleGuard::UseClassic();
    EXPECT_EQ(static_cast<UINT>(std::max(halfMenu, 17)), Measure(separator).itemHeight);
}

TEST_F(MenuFixture, FlatItemHasA23PixelBarAndSelectsWithAPaleHighlight)
{
    StyleGuard::UseFlat();
    const KelvoMenuItem* record = Append(L"Open", ID_TEST_OPEN + 1000);
    const RECT rect = {0, 0, 200, 24};
    const COLORREF bar = Sys(COLOR_BTNFACE);
    const COLORREF window = Sys(COLOR_WINDOW);
    const COLORREF highlight = Sys(COLOR_HIGHLIGHT);
    ASSERT_NE(bar, window);

    MenuCanvas plain(200, 24);
    Draw(plain, record, 0, rect);
    for (int y = 0; y < 24; ++y) {
        EXPECT_EQ(bar, plain.Pixel(0, y)) << y;
        EXPECT_EQ(bar, plain.Pixel(22, y)) << y;
        EXPECT_EQ(window, plain.Pixel(23, y)) << y;
        EXPECT_EQ(window, plain.Pixel(199, y)) << y;
    }
    RECT ink = plain.InkBounds(window, RECT{23, 0, 200, 24});
    EXPECT_GE(ink.left, 31) << "text starts 8 pixels right of the bar";
    EXPECT_LE(ink.left, 34);

    MenuCanvas selected(200, 24);
    Draw(selected, record, ODS_SELECTED, rect);
    const COLORREF selection = KelvoMenu::Lighten(highlight, 0.7);
    EXPECT_EQ(highlight, selected.Pixel(0, 0));
    EXPECT_EQ(highlight, selected.Pixel(199, 23));
    EXPECT_EQ(highlight, selected.Pixel(0, 12));
    EXPECT_EQ(selection, selected.Pixel(1, 1));
    EXPECT_EQ(selection, selected.Pixel(22, 12)) << "no bar on a selected item";
    EXPECT_EQ(selection, selected.Pixel(198, 12));
}

TEST_F(MenuFixture, FlatGrayedItemIsNeverSelectedAndDrawsInGrayText)
{
    StyleGuard::UseFlat();
    const KelvoMenuItem* record = Append(L"Grayed", ID_TEST_OPEN + 1001);
    MenuCanvas canvas(200, 24);
    Draw(canvas, record, ODS_GRAYED | ODS_SELECTED, RECT{0, 0, 200, 24});
    EXPECT_EQ(Sys(COLOR_BTNFACE), canvas.Pixel(0, 0));
    EXPECT_EQ(Sys(COLOR_WINDOW), canvas.Pixel(198, 12));
    RECT gray = canvas.BoundsOf(Sys(COLOR_GRAYTEXT), RECT{23, 0, 200, 24});
    EXPECT_GE(gray.right, gray.left) << "the text is drawn in the gray-text colour";
    RECT untouched = canvas.BoundsOf(kSentinel, RECT{0, 0, 200, 24});
    EXPECT_LT(untouched.right, untouched.left) << "the buffer covers the whole item";
}

TEST_F(MenuFixture, ClassicGrayedItemKeepsItsSelection)
{
    StyleGuard::UseClassic();
    const KelvoMenuItem* record = Append(L"Grayed", ID_TEST_OPEN + 1002);
    const COLORREF menu = Sys(COLOR_MENU);
    MenuCanvas canvas(200, 24);
    Draw(canvas, record, ODS_GRAYED | ODS_SELECTED, RECT{0, 0, 200, 24});
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.Pixel(0, 0));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.Pixel(198, 12));
    RECT text = canvas.BoundsOf(menu, RECT{0, 0, 200, 24});
    EXPECT_GE(text.left, 25) << "text in the menu colour on the highlight";

    // Under the XP theme drawn classic the menu colour is the button face, so the
    // highlight-coloured copy stands out even where the plain menu colour is white.
    StyleGuard::UseFlat();
    KelvoMenu::s_styleThemed = 0;
    MenuCanvas unselected(200, 24);
    Draw(unselected, record, ODS_GRAYED, RECT{0, 0, 200, 24});
    EXPECT_EQ(Sys(COLOR_BTNFACE), unselected.Pixel(198, 12));
    RECT shadowText = unselected.BoundsOf(Sys(COLOR_GRAYTEXT), RECT{0, 0, 200, 24});
    RECT raisedText = unselected.BoundsOf(Sys(COLOR_BTNHIGHLIGHT), RECT{0, 0, 200, 24});
    ASSERT_GE(shadowText.right, shadowText.left);
    ASSERT_GE(raisedText.right, raisedText.left);
    EXPECT_EQ(shadowText.right + 1, raisedText.right) << "the highlight copy lies one pixel right";
    EXPECT_EQ(shadowText.bottom + 1, raisedText.bottom) << "and one pixel down";
}

TEST_F(MenuFixture, ClassicSelectionStartsAfterTheGlyphColumn)
{
    StyleGuard::UseClassic();
    const KelvoMenuItem* withGlyph = Append(L"Properties", ID_TEST_PROPERTIES, IDT_TEST_TOOLBAR16);
    ASSERT_GE(withGlyph->m_sharedImageIndex, 0);
    const COLORREF highlight = Sys(COLOR_HIGHLIGHT);
    const COLORREF menu = Sys(COLOR_MENU);

    MenuCanvas canvas(200, 24);
    Draw(canvas, withGlyph, ODS_SELECTED, RECT{0, 0, 200, 24});
    // dy = (24 - 15 - 4) / 2 = 2: the glyph box spans columns 0..19, rows 2..20.
    EXPECT_EQ(highlight, canvas.Pixel(21, 0));
    EXPECT_EQ(highlight, canvas.Pixel(21, 23));
    EXPECT_EQ(kSentinel, canvas.Pixel(20, 12)) << "the fill starts at left + 16 + 5";
    EXPECT_EQ(kSentinel, canvas.Pixel(0, 0));
    EXPECT_EQ(menu, canvas.Pixel(1, 3)) << "glyph cell on the menu colour";
    EXPECT_EQ(RGB(255, 255, 0), canvas.Pixel(2 + 8, 4 + 7)) << "the yellow glyph at (left + 2, top + dy + 2)";
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(2 + 3, 4 + 3)) << "its black rim";

    // A modern shell frames the selected glyph raised.
    StyleGuard::Use(6);
    MenuCanvas modern(200, 24);
    Draw(modern, withGlyph, ODS_SELECTED, RECT{0, 0, 200, 24});
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), modern.Pixel(0, 2));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), modern.Pixel(19, 20));

    // Without glyph or check mark the selection fills the whole item.
    StyleGuard::UseClassic();
    const KelvoMenuItem* plain = Append(L"Plain", ID_TEST_OPEN + 1003);
    MenuCanvas whole(200, 24);
    Draw(whole, plain, ODS_SELECTED, RECT{0, 0, 200, 24});
    EXPECT_EQ(highlight, whole.Pixel(0, 0));
    EXPECT_EQ(highlight, whole.Pixel(20, 12));
}

TEST_F(MenuFixture, CheckMarksTickAndDot)
{
    static const int kStrokeTop[7] = {2, 3, 4, 3, 2, 1, 0};
    const COLORREF mark = Sys(COLOR_MENUTEXT);
    const KelvoMenuItem* ticked = Append(L"Ticked", ID_TEST_OPEN + 1004);
    const KelvoMenuItem* radio = Append(L"Radio", ID_TEST_OPEN + 1005);
    UniqueBitmap dotBitmap(CreateBitmap(13, 13, 1, 1, nullptr));
    ASSERT_TRUE(SetMenuItemBitmaps(m_menu.m_hMenu, ID_TEST_OPEN + 1005, MF_BYCOMMAND, nullptr, dotBitmap.Get()));

    // Classic, no modern shell: box (1, 4)-(17, 19), tick at (box.left + 4, box.top + 4).
    StyleGuard::UseClassic();
    const COLORREF boxColour = KelvoMenu::Lighten(Sys(COLOR_MENU), 0.6);
    MenuCanvas classic(200, 24);
    Draw(classic, ticked, ODS_CHECKED, RECT{0, 0, 200, 24});
    for (int y = 4; y < 19; ++y) {
        for (int x = 1; x < 17; ++x) {
            int k = x - 5;
            bool stroke = k >= 0 && k < 7 && y >= 8 + kStrokeTop[k] && y < 8 + kStrokeTop[k] + 3;
            EXPECT_EQ(stroke ? mark : boxColour, classic.Pixel(x, y)) << x << "," << y;
        }
    }

    // Flat: a 16 x 16 box centred in the 23-pixel bar, (4, 4)-(20, 20), framed in the highlight.
    StyleGuard::UseFlat();
    const COLORREF highlight = Sys(COLOR_HIGHLIGHT);
    MenuCanvas flat(200, 24);
    Draw(flat, ticked, ODS_CHECKED, RECT{0, 0, 200, 24});
    EXPECT_EQ(highlight, flat.Pixel(4, 4));
    EXPECT_EQ(highlight, flat.Pixel(19, 19));
    EXPECT_EQ(Sys(COLOR_BTNFACE), flat.Pixel(3, 12));
    for (int y = 5; y < 19; ++y) {
        for (int x = 5; x < 19; ++x) {
            int k = x - 9;
            bool stroke = k >= 0 && k < 7 && y >= 8 + kStrokeTop[k] && y < 8 + kStrokeTop[k] + 3;
            EXPECT_EQ(stroke ? mark : KelvoMenu::Lighten(highlight, 0.85), flat.Pixel(x, y)) << x << "," << y;
        }
    }

    // A radio-style item gets a 6 x 6 dot at (box.left + 5, box.top + 4).
    MenuCanvas dotFlat(200, 24);
    Draw(dotFlat, radio, ODS_CHECKED, RECT{0, 0, 200, 24});
    RECT dot = dotFlat.BoundsOf(mark, RECT{0, 0, 23, 24});
    EXPECT_EQ(9, dot.left);
    EXPECT_EQ(8, dot.top);
    EXPECT_EQ(14, dot.right);
    EXPECT_EQ(13, dot.bottom);
    EXPECT_EQ(mark, dotFlat.Pixel(11, 10));

    StyleGuard::UseClassic();
    MenuCanvas dotClassic(200, 24);
    Draw(dotClassic, radio, ODS_CHECKED, RECT{0, 0, 200, 24});
    dot = dotClassic.BoundsOf(mark, RECT{0, 0, 20, 24});
    EXPECT_EQ(6, dot.left);
    EXPECT_EQ(8, dot.top);
    EXPECT_EQ(11, dot.right);
    EXPECT_EQ(13, dot.bottom);
}

// On a monitor of 192 DPI every stroke of the tick is two pixels wide and six long,
// in a box twice the size, and the text column moves right with it.
TEST_F(MenuFixture, TheTickAndItsBoxGrowWithTheMenusDpi)
{
    static const int kStrokeTop[7] = {2, 3, 4, 3, 2, 1, 0};
    const COLORREF mark = Sys(COLOR_MENUTEXT);
    const KelvoMenuItem* ticked = Append(L"Ticked", ID_TEST_OPEN + 1012);
    m_menu.SetDpi(192);
    StyleGuard::UseClassic();
    EXPECT_EQ(Measure(ticked).itemWidth, static_cast<UINT>(ExtentWithFont(L"Ticked", nullptr) + 66));

    // Box (2, 9)-(34, 39): 48 high less 38 for the glyph cell, halved, and 4 down; tick at (box.left + 8, box.top + 8).
    const COLORREF boxColour = KelvoMenu::Lighten(Sys(COLOR_MENU), 0.6);
    MenuCanvas canvas(300, 48);
    Draw(canvas, ticked, ODS_CHECKED, RECT{0, 0, 300, 48});
    for (int y = 9; y < 39; ++y) {
        for (int x = 2; x < 34; ++x) {
            int k = (x - 10) / 2;
            bool stroke = x >= 10 && k < 7 && y >= 17 + 2 * kStrokeTop[k] && y < 17 + 2 * kStrokeTop[k] + 6;
            EXPECT_EQ(stroke ? mark : boxColour, canvas.Pixel(x, y)) << x << "," << y;
        }
    }
    const RECT text = canvas.InkBounds(Sys(COLOR_MENU), RECT{34, 0, 300, 48});
    EXPECT_LE(text.left, text.right) << "no text";
    EXPECT_GE(text.left, 50) << "text drawn inside the wider glyph column";
}

TEST_F(MenuFixture, SeparatorIsAnEtchedLineAtMidHeight)
{
    const KelvoMenuItem* separator = Append(L"", 0);
    const COLORREF shadow = Sys(COLOR_BTNSHADOW);

    StyleGuard::UseFlat();
    MenuCanvas flat(200, 11);
    Draw(flat, separator, 0, RECT{0, 0, 200, 11});
    EXPECT_EQ(Sys(COLOR_BTNFACE), flat.Pixel(22, 5));
    EXPECT_EQ(Sys(COLOR_WINDOW), flat.Pixel(29, 5)) << "the line starts a pad right of the bar";
    EXPECT_EQ(shadow, flat.Pixel(30, 5));
    EXPECT_EQ(shadow, flat.Pixel(150, 5));
    EXPECT_EQ(Sys(COLOR_WINDOW), flat.Pixel(150, 4));
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), flat.Pixel(150, 6));

    StyleGuard::UseClassic();
    MenuCanvas classic(200, 10);
    Draw(classic, separator, 0, RECT{0, 0, 200, 10});
    EXPECT_EQ(Sys(COLOR_MENU), classic.Pixel(100, 4));
    EXPECT_EQ(shadow, classic.Pixel(0, 5));
    EXPECT_EQ(shadow, classic.Pixel(100, 5));
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), classic.Pixel(100, 6));
}

TEST_F(MenuFixture, TabColumnsLeftAndRightAligned)
{
    StyleGuard::UseFlat();
    const COLORREF window = Sys(COLOR_WINDOW);
    const RECT rect = {0, 0, 200, 24};
    const RECT textArea = {23, 0, 200, 24};

    MenuCanvas paste(200, 24);
    Draw(paste, Append(L"Paste\tCtrl+V", ID_TEST_OPEN + 1006), 0, rect);
    RECT ink = paste.InkBounds(window, textArea);
    EXPECT_GE(ink.left, 31);
    EXPECT_LE(ink.left, 34);
    EXPECT_LE(ink.right, 200 - 16 - 1) << "right column ends 16 pixels short of the edge";
    // Wine draws Tahoma's glyphs a little narrower than it measures them (ten "V" measure 70
    // pixels and ink 59), so the ink of right-aligned text stops short of the edge by a few pixels.
    EXPECT_GE(ink.right, 200 - 16 - 8);

    MenuCanvas three(200, 24);
    Draw(three, Append(L"First\tSecond\tThird", ID_TEST_OPEN + 1007), 0, rect);
    MenuCanvas two(200, 24);
    Draw(two, Append(L"First\tThird", ID_TEST_OPEN + 1008), 0, rect);
    MenuCanvas second(200, 24);
    Draw(second, Append(L"First\tSecond", ID_TEST_OPEN + 1009), 0, rect);
    EXPECT_EQ(two.Snapshot(), three.Snapshot()) << "the middle part is not drawn";
    EXPECT_NE(two.Snapshot(), second.Snapshot());

    MenuCanvas empty(200, 24);
    Draw(empty, Append(L"", ID_TEST_OPEN + 1010), 0, rect);
    RECT none = empty.InkBounds(window, textArea);
    EXPECT_LT(none.right, none.left) << "an empty text draws nothing";
}

TEST(MenuGlyphEffects, FadedGlyphLightensEverythingButTheFace)
{
    UniqueBitmap glyph(FaceGlyph());
    SetBitmapPixel(glyph.Get(), 3, 4, RGB(0, 0, 0));
    SetBitmapPixel(glyph.Get(), 5, 6, RGB(255, 0, 0));
    CBitmap bitmap;
    bitmap.Attach(glyph.Release());
    KelvoMenu::MakeFadedGlyph(&bitmap);
    EXPECT_EQ(RGB(76, 76, 76), BitmapPixel(bitmap, 3, 4));
    EXPECT_EQ(RGB(255, 76, 76), BitmapPixel(bitmap, 5, 6));
    EXPECT_EQ(Sys(COLOR_BTNFACE), BitmapPixel(bitmap, 0, 0));
    EXPECT_EQ(Sys(COLOR_BTNFACE), BitmapPixel(bitmap, 15, 14));
}

TEST(MenuGlyphEffects, ShadowGlyphIsTheSilhouette)
{
    CBitmap face;
    face.Attach(FaceGlyph());
    KelvoMenu::MakeShadowGlyph(&face);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Sys(COLOR_BTNFACE), BitmapPixel(face, x, y)) << x << "," << y;
    }

    CBitmap glyph;
    glyph.Attach(FaceGlyph());
    SetBitmapPixel(glyph, 7, 7, RGB(0, 0, 255));
    SetBitmapPixel(glyph, 8, 7, RGB(255, 255, 255));
    KelvoMenu::MakeShadowGlyph(&glyph);
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), BitmapPixel(glyph, 7, 7));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), BitmapPixel(glyph, 8, 7));
    EXPECT_EQ(Sys(COLOR_BTNFACE), BitmapPixel(glyph, 6, 7));
}

TEST(MenuGlyphEffects, EmbossedGlyphIsAShadowOverAHighlightOffsetByOne)
{
    const COLORREF background = RGB(10, 200, 30);
    const COLORREF highlight = Sys(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = Sys(COLOR_BTNSHADOW);
    CBitmap glyph;
    glyph.Attach(FaceGlyph());
    {
        UniqueDC dc(CreateCompatibleDC(nullptr));
        ScopedSelect select(dc.Get(), glyph);
        RECT square = {4, 4, 10, 10};
        UniqueBrush black(CreateSolidBrush(RGB(0, 0, 0)));
        FillRect(dc.Get(), &square, black.Get());
        SetPixel(dc.Get(), 12, 12, highlight);
    }
    Canvas canvas(40, 40, kSentinel);
    KelvoMenu::DrawEmbossedGlyph(&canvas.dc(), 10, 10, 16, 15, &glyph, 0, 0, background);

    EXPECT_EQ(shadow, canvas.Pixel(14, 14));
    EXPECT_EQ(shadow, canvas.Pixel(19, 19));
    EXPECT_EQ(highlight, canvas.Pixel(20, 20)) << "highlight silhouette one pixel down and right";
    EXPECT_EQ(highlight, canvas.Pixel(20, 15));
    EXPECT_EQ(background, canvas.Pixel(22, 22)) << "a highlight-coloured pixel counts as background";
    EXPECT_EQ(background, canvas.Pixel(10, 10));
    EXPECT_EQ(background, canvas.Pixel(25, 24));
    EXPECT_EQ(background, canvas.Pixel(26, 20)) << "the offset copy reaches one column beyond the box";
    EXPECT_EQ(background, canvas.Pixel(20, 25)) << "and one row below it";
    EXPECT_EQ(kSentinel, canvas.Pixel(27, 27));
    EXPECT_EQ(kSentinel, canvas.Pixel(9, 9));
}

TEST(MenuGlyphs, ToolbarButtonGivesTheImageIndex)
{
    KelvoMenu menu;
    int image = 7;
    EXPECT_TRUE(menu.GlyphFromToolBar(ID_TEST_OPEN, IDT_TEST_TOOLBAR16, image));
    EXPECT_EQ(7, image) << "image 0 leaves the output alone";
    EXPECT_TRUE(menu.GlyphFromToolBar(ID_TEST_EXIT, IDT_TEST_TOOLBAR16, image));
    EXPECT_EQ(1, image) << "the separator takes no image";
    EXPECT_TRUE(menu.GlyphFromToolBar(ID_TEST_CUT, IDT_TEST_TOOLBAR16, image));
    EXPECT_EQ(2, image);
    image = 5;
    EXPECT_FALSE(menu.GlyphFromToolBar(ID_TEST_PASTE, IDT_TEST_TOOLBAR16, image));
    EXPECT_FALSE(menu.GlyphFromToolBar(ID_TEST_OPEN, 9999, image));
    EXPECT_EQ(5, image);
}

TEST(MenuGlyphs, SixteenColourBitmapsGetSystemColoursOthersStayUnmapped)
{
    UniqueBitmap mapped(KelvoMenu::LoadMappedBitmap(IDT_TEST_TOOLBAR16));
    ASSERT_TRUE(mapped);
    EXPECT_EQ(Sys(COLOR_BTNFACE), BitmapPixel(mapped.Get(), 0, 0));
    EXPECT_EQ(Sys(COLOR_BTNTEXT), BitmapPixel(mapped.Get(), 3, 2));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), BitmapPixel(mapped.Get(), 3, 12));
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), BitmapPixel(mapped.Get(), 13, 5));
    EXPECT_EQ(RGB(255, 0, 0), BitmapPixel(mapped.Get(), 6, 5));
    EXPECT_EQ(RGB(0, 0, 255), BitmapPixel(mapped.Get(), 16 + 8, 7));

    EXPECT_EQ(nullptr, KelvoMenu::LoadMappedBitmap(IDT_TEST_TOOLBAR256));
    EXPECT_EQ(nullptr, KelvoMenu::LoadMappedBitmap(9999));

    KelvoMenu menu;
    CImageList list;
    ASSERT_TRUE(list.Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1));
    ASSERT_TRUE(menu.AddGlyphBitmap(&list, IDT_TEST_TOOLBAR256));
    EXPECT_EQ(2, list.GetImageCount()) << "one image per glyph width";
    Canvas canvas(16, 15, kSentinel);
    list.Draw(canvas.hdc(), 0, POINT{0, 0}, ILD_TRANSPARENT);
    EXPECT_EQ(RGB(255, 0, 255), canvas.Pixel(8, 7));
    if (Sys(COLOR_BTNFACE) != RGB(192, 192, 192)) {
        EXPECT_EQ(RGB(192, 192, 192), canvas.Pixel(0, 0)) << "the grey of a 256-colour bitmap is not mapped";
    }
    EXPECT_FALSE(menu.AddGlyphBitmap(&list, 9999));
}

TEST(MenuGlyphs, FlatStyleRegistersReliefCompanions)
{
    StyleGuard guard;
    StyleGuard::UseFlat();
    KelvoMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    int before = KelvoMenu::s_sharedImages.GetImageCount();
    ASSERT_EQ(static_cast<size_t>(before), KelvoMenu::s_sharedImageIds.size());
    ASSERT_EQ(-1, KelvoMenu::FindSharedImage(ID_TEST_EXIT)) << "the test needs a command without a glyph";

    ASSERT_TRUE(menu.AppendItem(L"E&xit", MF_STRING, ID_TEST_EXIT, IDT_TEST_TOOLBAR16));
    int index = menu.GetItem(0)->m_sharedImageIndex;
    EXPECT_EQ(before, index);
    ASSERT_EQ(before + 3, KelvoMenu::s_sharedImages.GetImageCount());
    ASSERT_EQ(static_cast<size_t>(before + 3), KelvoMenu::s_sharedImageIds.size());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ID_TEST_EXIT, KelvoMenu::s_sharedImageIds[static_cast<size_t>(before + i)]);
    EXPECT_EQ(index, KelvoMenu::FindSharedImage(ID_TEST_EXIT));
    EXPECT_TRUE(KelvoMenu::HasReliefCompanions(index));
    EXPECT_FALSE(KelvoMenu::HasReliefCompanions(index + 1)) << "next entries lie beyond the end";
    EXPECT_FALSE(KelvoMenu::HasReliefCompanions(-1));

    // The glyph is the blue bar on a transparent face; the faded one lighter, the shadow flat.
    EXPECT_EQ(RGB(0, 0, 255), SharedImagePixel(index, 8, 7));
    EXPECT_EQ(kSentinel, SharedImagePixel(index, 1, 1));
    EXPECT_EQ(RGB(76, 76, 255), SharedImagePixel(index + 1, 8, 7));
    EXPECT_EQ(kSentinel, SharedImagePixel(index + 1, 1, 1));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), SharedImagePixel(index + 2, 8, 7));
    EXPECT_EQ(kSentinel, SharedImagePixel(index + 2, 1, 1));

    // A later command: the companions of the first are bounded by another id.
    if (KelvoMenu::FindSharedImage(ID_TEST_OPEN) < 0) {
        ASSERT_TRUE(menu.AppendItem(L"&Open", MF_STRING, ID_TEST_OPEN, IDT_TEST_TOOLBAR16));
    }
    if (KelvoMenu::FindSharedImage(ID_TEST_OPEN) == index + 3) {
        EXPECT_FALSE(KelvoMenu::HasReliefCompanions(index + 1));
    }

    // Without a glyph argument an item shows the glyph its command registered.
    ASSERT_TRUE(menu.AppendItem(L"Exit again", MF_STRING, ID_TEST_EXIT, -1));
    EXPECT_EQ(index, menu.GetItem(menu.GetItemCount() - 1)->m_sharedImageIndex);
}

TEST(MenuGlyphs, SecondRegistrationReplacesTheImageAndItsCompanionsInPlace)
{
    StyleGuard guard;
    StyleGuard::UseFlat();
    KelvoMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendItem(L"&Open", MF_STRING, ID_TEST_OPEN, IDT_TEST_TOOLBAR16));
    int index = menu.GetItem(0)->m_sharedImageIndex;
    ASSERT_GE(index, 0);
    ASSERT_TRUE(KelvoMenu::HasReliefCompanions(index));
    int count = KelvoMenu::s_sharedImages.GetImageCount();
    EXPECT_EQ(RGB(255, 0, 0), SharedImagePixel(index, 7, 6)) << "toolbar16's red core";

    ASSERT_TRUE(menu.AppendItem(L"Open (new look)", MF_STRING, ID_TEST_OPEN, IDT_TEST_TOOLBAR256));
    EXPECT_EQ(index, menu.GetItem(1)->m_sharedImageIndex);
    EXPECT_EQ(count, KelvoMenu::s_sharedImages.GetImageCount());
    EXPECT_EQ(RGB(255, 0, 255), SharedImagePixel(index, 7, 6));
    EXPECT_EQ(RGB(255, 76, 255), SharedImagePixel(index + 1, 7, 6));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), SharedImagePixel(index + 2, 7, 6));

    // Both items show the new glyph: the first one is drawn with image `index`.
    MenuCanvas canvas(200, 24);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.itemID = ID_TEST_OPEN;
    item.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    item.hDC = canvas.hdc();
    item.rcItem = RECT{0, 0, 200, 24};
    item.itemData = reinterpret_cast<ULONG_PTR>(menu.GetItem(0));
    menu.DrawItem(&item);
    // Flat, unselected: the faded companion at ((23 - 16 + 1) / 2, (24 - 15 + 1) / 2) = (4, 5).
    EXPECT_EQ(RGB(255, 76, 255), canvas.Pixel(4 + 7, 5 + 6));
}

TEST(MenuGlyphs, CompanionsThatCannotBeMadeLeaveNoIdsBehind)
{
    StyleGuard guard;
    StyleGuard::UseFlat();
    KelvoMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    if (!KelvoMenu::s_sharedImages.GetSafeHandle()) {
        ASSERT_TRUE(KelvoMenu::s_sharedImages.Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1));
    }
    CImageList source;
    ASSERT_TRUE(source.Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1));
    ASSERT_TRUE(menu.AddGlyphBitmap(&source, IDT_TEST_TOOLBAR16));
    ASSERT_EQ(KelvoMenu::s_sharedImages.GetImageCount(), static_cast<int>(KelvoMenu::s_sharedImageIds.size()));

    // A glyph size no bitmap can have: the glyph itself goes in, its companions cannot be made.
    KelvoMenu huge;
    huge.SetGlyphSize(100000, 100000);
    const int index = huge.AddToSharedImages(&source, 0, 7501);
    ASSERT_GE(index, 0);
    EXPECT_EQ(KelvoMenu::s_sharedImages.GetImageCount(), static_cast<int>(KelvoMenu::s_sharedImageIds.size()));
    EXPECT_EQ(KelvoMenu::FindSharedImage(7501), index);
    EXPECT_FALSE(KelvoMenu::HasReliefCompanions(index));

    // The next command's glyph is found where its image is.
    ASSERT_TRUE(menu.AppendItem(L"Next", MF_STRING, 7502, IDT_TEST_TOOLBAR16));
    const int next = menu.GetItem(0)->m_sharedImageIndex;
    ASSERT_GE(next, 0);
    EXPECT_EQ(KelvoMenu::FindSharedImage(7502), next);
    EXPECT_TRUE(KelvoMenu::HasReliefCompanions(next));
}

TEST(MenuGlyphs, ClassicStyleRegistersTheGlyphAlone)
{
    StyleGuard guard;
    StyleGuard::UseClassic();
    KelvoMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_EQ(-1, KelvoMenu::FindSharedImage(ID_TEST_CUT)) << "the test needs a command without a glyph";
    int before = KelvoMenu::s_sharedImages.GetImageCount();
    ASSERT_TRUE(menu.AppendItem(L"Cu&t", MF_STRING, ID_TEST_CUT, IDT_TEST_TOOLBAR16));
    EXPECT_EQ(before, menu.GetItem(0)->m_sharedImageIndex);
    EXPECT_EQ(before + 1, KelvoMenu::s_sharedImages.GetImageCount());
    EXPECT_FALSE(KelvoMenu::HasReliefCompanions(before));
    EXPECT_EQ(RGB(0, 255, 0), SharedImagePixel(before, 8, 7));

    // A missing toolbar or bitmap leaves the item without a glyph, but appended.
    ASSERT_TRUE(menu.AppendItem(L"Nothing", MF_STRING, 7401, 9999));
    EXPECT_EQ(-1, menu.GetItem(1)->m_sharedImageIndex);
    EXPECT_EQ(2, menu.GetMenuItemCount());
}

TEST_F(MenuFixture, OptionalSettingsIconGlyphsAndCheckImages)
{
    StyleGuard::UseClassic();
    // An icon handle as the glyph argument.
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ENTRY_TEXT), IMAGE_ICON, 16, 16, 0));
    ASSERT_TRUE(icon);
    m_menu.SetIconHandles(TRUE);
    const KelvoMenuItem* withIcon =
        Append(L"Icon", ID_TEST_OPEN + 1011, static_cast<int>(reinterpret_cast<INT_PTR>(icon)));
    m_menu.SetIconHandles(FALSE);
    DestroyIcon(icon);
    ASSERT_GE(withIcon->m_sharedImageIndex, 0);
    EXPECT_EQ(ID_TEST_OPEN + 1011, KelvoMenu::s_sharedImageIds[static_cast<size_t>(withIcon->m_sharedImageIndex)]);

    // Check-mark images replace the drawn tick.
    auto images = std::make_unique<CImageList>();
    ASSERT_TRUE(images->Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1));
    ASSERT_TRUE(m_menu.AddGlyphBitmap(images.get(), IDT_TEST_TOOLBAR16));
    m_menu.SetCheckImages(std::move(images), 2, 3);
    const KelvoMenuItem* checked = Append(L"Checked", ID_TEST_OPEN + 1012);
    MenuCanvas normal(200, 24);
    Draw(normal, checked, ODS_CHECKED, RECT{0, 0, 200, 24});
    EXPECT_EQ(RGB(255, 255, 0), normal.Pixel(1 + 8, 4 + 7)) << "image 3 (yellow) at the check box";
    MenuCanvas selected(200, 24);
    Draw(selected, checked, ODS_CHECKED | ODS_SELECTED, RECT{0, 0, 200, 24});
    EXPECT_EQ(RGB(0, 255, 0), selected.Pixel(1 + 8, 4 + 7)) << "image 2 (green) when selected";
}

TEST(MenuBuffer, DrawsInTargetCoordinatesAndCopiesOnDestruction)
{
    Canvas canvas(60, 40, kSentinel);
    {
        MenuBufferDC buffer(&canvas.dc(), RECT{10, 20, 50, 35});
        EXPECT_TRUE(buffer.IsBuffered());
        buffer.FillSolidRect(RECT{10, 20, 50, 35}, RGB(200, 0, 0));
        buffer.FillSolidRect(RECT{12, 22, 14, 24}, RGB(0, 200, 0));
        EXPECT_EQ(kSentinel, canvas.Pixel(12, 22)) << "nothing reaches the target before the end";
    }
    EXPECT_EQ(RGB(200, 0, 0), canvas.Pixel(10, 20));
    EXPECT_EQ(RGB(200, 0, 0), canvas.Pixel(49, 34));
    EXPECT_EQ(RGB(0, 200, 0), canvas.Pixel(13, 23));
    EXPECT_EQ(kSentinel, canvas.Pixel(9, 20));
    EXPECT_EQ(kSentinel, canvas.Pixel(50, 34));
    EXPECT_EQ(kSentinel, canvas.Pixel(10, 35));
}

TEST(MenuBuffer, WithoutMemoryForABufferItDrawsOnTheTargetItself)
{
    Canvas canvas(60, 40, kSentinel);
    {
        // No bitmap of 100000 x 100000 pixels can be made.
        MenuBufferDC buffer(&canvas.dc(), RECT{0, 0, 100000, 100000});
        EXPECT_FALSE(buffer.IsBuffered());
        buffer.FillSolidRect(RECT{12, 22, 14, 24}, RGB(0, 200, 0));
        EXPECT_EQ(RGB(0, 200, 0), canvas.Pixel(13, 23)) << "straight on the target";
    }
    EXPECT_EQ(RGB(0, 200, 0), canvas.Pixel(13, 23));
    EXPECT_EQ(kSentinel, canvas.Pixel(30, 30)) << "nothing else is copied over the target";
}

// Writes control_screenshots/menu_flat.bmp and menu_classic.bmp: an icon menu
// with glyphs, check marks, a grayed item and a separator in each style.
TEST(ControlScreenshots, IconMenuInEachStyle)
{
    StyleGuard guard;
    StyleGuard::UseFlat();  // glyphs registered with their relief companions
    KelvoMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&Open\tCtrl+O", MF_STRING, ID_TEST_OPEN, IDT_TEST_TOOLBAR16);
    menu.AppendItem(L"&Open (selected)\tCtrl+O", MF_STRING, ID_TEST_OPEN, -1);
    menu.AppendItem(L"Checked with glyph", MF_STRING, ID_TEST_EXIT, IDT_TEST_TOOLBAR16);
    menu.AppendItem(L"&Checked\tCtrl+K", MF_STRING, 7501, -1);
    menu.AppendItem(L"&Radio choice", MF_STRING, 7502, -1);
    menu.AppendItem(L"", MF_STRING, 0, -1);
    menu.AppendItem(L"&Grayed with glyph", MF_STRING, ID_TEST_EXIT, -1);
    menu.AppendItem(L"Grayed text", MF_STRING, 7503, -1);
    menu.AppendItem(L"", MF_STRING, 0, -1);
    menu.AppendItem(L"E&xit", MF_STRING, ID_TEST_EXIT, -1);
    UniqueBitmap dotBitmap(CreateBitmap(13, 13, 1, 1, nullptr));
    SetMenuItemBitmaps(menu.m_hMenu, 7502, MF_BYCOMMAND, nullptr, dotBitmap.Get());
    const UINT states[] = {0, ODS_SELECTED, ODS_CHECKED, ODS_CHECKED, ODS_CHECKED, 0, ODS_GRAYED, ODS_GRAYED, 0, 0};

    for (int flat = 1; flat >= 0; --flat) {
        if (flat)
            StyleGuard::UseFlat();
        else
            StyleGuard::Use(6);  // a modern shell drawn classic
        int width = 0;
        int height = 0;
        std::vector<int> heights;
        for (int i = 0; i < menu.GetItemCount(); ++i) {
            MEASUREITEMSTRUCT measure = {};
            measure.CtlType = ODT_MENU;
            measure.itemData = reinterpret_cast<ULONG_PTR>(menu.GetItem(i));
            menu.MeasureItem(&measure);
            width = std::max(width, static_cast<int>(measure.itemWidth));
            heights.push_back(static_cast<int>(measure.itemHeight));
            height += static_cast<int>(measure.itemHeight);
        }
        width += 40;
        // What the system paints behind the items (the classic style leaves a column of it).
        MenuCanvas canvas(width, height, Sys(flat ? COLOR_WINDOW : COLOR_MENU));
        int top = 0;
        for (int i = 0; i < menu.GetItemCount(); ++i) {
            DRAWITEMSTRUCT item = {};
            item.CtlType = ODT_MENU;
            item.itemID = static_cast<UINT>(menu.GetItem(i)->m_commandId);
            item.itemState = states[i];
            item.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
            item.hDC = canvas.hdc();
            item.rcItem = RECT{0, top, width, top + heights[static_cast<size_t>(i)]};
            item.itemData = reinterpret_cast<ULONG_PTR>(menu.GetItem(i));
            menu.DrawItem(&item);
            top += heights[static_cast<size_t>(i)];
        }
        ASSERT_TRUE(canvas.SaveBmp(control_test::ScreenshotPath(flat ? L"menu_flat" : L"menu_classic")));
    }
}
