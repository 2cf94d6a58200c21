// The flat image button: settings, image placement, drawing on pixels, the
// dialog-manager messages, hover, clicks and the dropped-down icon menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "control_test_support.h"
#include "controls/ImageButton.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "framework/Handles.h"
#include "resource.h"
#include "test_resource_ids.h"

using control_test::Canvas;
using control_test::PumpMessages;

namespace {

constexpr COLORREF kSentinel = RGB(1, 2, 3);
constexpr COLORREF kActiveFace = RGB(200, 60, 60);
constexpr COLORREF kRestFace = RGB(60, 200, 60);
constexpr COLORREF kFocusFace = RGB(60, 60, 200);
constexpr COLORREF kActiveText = RGB(250, 250, 0);
constexpr COLORREF kRestText = RGB(0, 0, 0);

COLORREF Sys(int index)
{
    return GetSysColor(index);
}

// Exposes the placement rule and the drawing state for the tests.
class TestButton : public CImageButton {
public:
    using CImageButton::PlaceImage;
};

// A dialog from a template whose control `id` is a CImageButton; it records
// the commands it receives.
class ButtonHost : public CDialog {
public:
    ButtonHost(UINT templateId, int buttonId) : CDialog(templateId), m_buttonId(buttonId) {}
    ~ButtonHost() override
    {
        if (m_hWnd)
            DestroyWindow();
    }

    TestButton m_button;
    std::vector<WPARAM> m_commands;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, m_buttonId, m_button); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        // As the popup does: the three face colours set to the button face.
        m_button.SetStateColor(0, GetSysColor(COLOR_BTNFACE), TRUE);
        m_button.SetStateColor(2, GetSysColor(COLOR_BTNFACE), TRUE);
        m_button.SetStateColor(4, GetSysColor(COLOR_BTNFACE), TRUE);
        return TRUE;
    }
    bool OnCommand(WPARAM wParam, LPARAM) override
    {
        m_commands.push_back(wParam);
        return true;
    }

private:
    int m_buttonId;
};

// A modeless host shown top-most, so the pointer tests find it under the point. It
// stands near the right edge of the screen, away from where the program's own
// popup opens (10, 10) when other tests show it at the same time.
std::unique_ptr<ButtonHost> OpenHost(UINT templateId, int buttonId)
{
    auto host = std::make_unique<ButtonHost>(templateId, buttonId);
    if (!host->Create(nullptr))
        return nullptr;
    int left = std::max(320, GetSystemMetrics(SM_CXSCREEN) - 420);
    SetWindowPos(host->m_hWnd, HWND_TOPMOST, left, 160, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(host->m_hWnd);
    PumpMessages(50);
    return host;
}

int Clicks(const ButtonHost& host, int id)
{
    int clicks = 0;
    for (WPARAM command : host.m_commands)
        clicks += LOWORD(command) == id && HIWORD(command) == BN_CLICKED;
    return clicks;
}

// Draws the button into a canvas through the parent's WM_DRAWITEM, as the system does.
void DrawButton(ButtonHost& host, Canvas& canvas, UINT state)
{
    HFONT font = host.m_button.GetFont();
    HGDIOBJ previous = font ? SelectObject(canvas.hdc(), font) : nullptr;
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(host.m_button.m_hWnd));
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = host.m_button.m_hWnd;
    item.hDC = canvas.hdc();
    item.rcItem = RECT{0, 0, canvas.width(), canvas.height()};
    EXPECT_TRUE(host.SendMessage(WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item)));
    if (previous)
        SelectObject(canvas.hdc(), previous);
}

// A larger "<>" button with distinct state colours, so faces and captions can be told apart.
void PrepareForPixels(ButtonHost& host, int width = 120, int height = 30)
{
    // Above the list view, which comes first in the template's z-order.
    host.m_button.SetWindowPos(HWND_TOP, 4, 4, width, height, SWP_SHOWWINDOW);
    // Upright strokes keep pixels of the exact text colour under font smoothing.
    host.m_button.SetWindowText(L"HIH");
    host.m_button.SetStateColor(CImageButton::ActiveFace, kActiveFace);
    host.m_button.SetStateColor(CImageButton::RestFace, kRestFace);
    host.m_button.SetStateColor(CImageButton::FocusFace, kFocusFace);
    host.m_button.SetStateColor(CImageButton::ActiveText, kActiveText);
    host.m_button.SetStateColor(CImageButton::RestText, kRestText);
}

// Reads a screen pixel until it shows `expected` (the window may still be painting), at most a second.
COLORREF WaitForScreenPixel(int x, int y, COLORREF expected)
{
    COLORREF seen = CLR_INVALID;
    for (int i = 0; i < 100; ++i) {
        HDC screen = GetDC(nullptr);
        seen = GetPixel(screen, x, y);
        ReleaseDC(nullptr, screen);
        if (seen == expected)
            break;
        PumpMessages(10);
    }
    return seen;
}

void MouseMove(CWnd& button, int x, int y, WPARAM keys = 0)
{
    button.SendMessage(WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

// Picks the first item of the next popup menu that opens, from another thread,
// and remembers where the menu window appeared (and what it showed, when asked).
class MenuPicker {
public:
    explicit MenuPicker(const wchar_t* screenshot = nullptr)
        : m_thread([this, screenshot] {
              for (int i = 0; i < 500 && !m_stop; ++i) {
                  HWND menu = FindWindowW(L"#32768", nullptr);
                  if (menu && IsWindowVisible(menu)) {
                      GetWindowRect(menu, &m_rect);
                      Sleep(150);
                      if (screenshot)
                          control_test::CaptureWindow(menu, control_test::ScreenshotPath(screenshot));
                      PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
                      PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
                      m_found = true;
                      return;
                  }
                  Sleep(10);
              }
          })
    {
    }
    ~MenuPicker() { Found(); }
    bool Found()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_found;
    }
    RECT m_rect = {};

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_found{false};
    std::thread m_thread;
};

}  // namespace

TEST(ImageButtonSettings, ConstructionValuesAndStateColours)
{
    CImageButton button;
    for (BYTE slot : {0, 2, 4})
        EXPECT_EQ(Sys(COLOR_BTNFACE), button.GetStateColor(slot)) << int(slot);
    for (BYTE slot : {1, 3, 5})
        EXPECT_EQ(Sys(COLOR_BTNTEXT), button.GetStateColor(slot)) << int(slot);
    EXPECT_TRUE(button.IsFlat());
    EXPECT_FALSE(button.IsHovering());
    EXPECT_FALSE(button.IsChecked());
    EXPECT_FALSE(button.IsCheckBox());
    EXPECT_FALSE(button.IsDefaultButton());
    EXPECT_STREQ(L"", button.GetTarget());
    EXPECT_EQ(nullptr, button.GetMenu().m_hMenu);

    EXPECT_EQ(3, button.SetStateColor(6, RGB(1, 1, 1), FALSE));
    EXPECT_EQ(3, button.SetStateColor(255, RGB(1, 1, 1), FALSE));
    EXPECT_EQ(0, button.SetStateColor(5, RGB(9, 8, 7), FALSE));
    EXPECT_EQ(RGB(9, 8, 7), button.GetStateColor(5));
    for (BYTE slot = 0; slot < 5; ++slot)
        EXPECT_NE(RGB(1, 1, 1), button.GetStateColor(slot));
    EXPECT_EQ(0, button.ResetStateColors(FALSE));
    EXPECT_EQ(Sys(COLOR_BTNTEXT), button.GetStateColor(5));

    // Not a check box: the check state stays clear.
    EXPECT_EQ(0, button.SetChecked(TRUE, FALSE));
    EXPECT_FALSE(button.IsChecked());
}

TEST(ImageButtonSettings, TargetKeepsAtMost259Characters)
{
    CImageButton button;
    std::wstring longText(300, L'a');
    button.SetTarget(longText.c_str());
    EXPECT_EQ(std::wstring(259, L'a'), button.GetTarget());
    // A surrogate pair is never cut in half.
    std::wstring pair = std::wstring(258, L'b') + L"\U0001F600";
    button.SetTarget(pair.c_str());
    EXPECT_EQ(std::wstring(258, L'b'), button.GetTarget());
    button.SetTarget(L"https://example.org/");
    EXPECT_STREQ(L"https://example.org/", button.GetTarget());
    button.SetTarget(nullptr);
    EXPECT_STREQ(L"", button.GetTarget());
}

TEST(ImageButtonPlacement, ThreeAlignmentsWithAndWithoutCaption)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    TestButton& button = host->m_button;
    button.MoveWindow(0, 0, 100, 40);
    const RECT item = {0, 0, 100, 40};
    RECT caption;
    RECT image;

    // Left of the caption (alignment 0).
    caption = item;
    button.PlaceImage(FALSE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(42, image.left);
    EXPECT_EQ(12, image.top);
    EXPECT_EQ(100, image.right);
    EXPECT_EQ(40, image.bottom);
    EXPECT_EQ(0, caption.left);
    caption = item;
    button.PlaceImage(TRUE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(3, image.left);
    EXPECT_EQ(12, image.top);
    EXPECT_EQ(19, caption.left);
    caption = item;
    button.PlaceImage(TRUE, item, caption, TRUE, 16, 16, image);
    EXPECT_EQ(4, image.left) << "pressed: one pixel right and down";
    EXPECT_EQ(13, image.top);
    EXPECT_EQ(101, image.right);

    // Above the caption (alignment 1).
    button.SetAlign(CImageButton::ImageTop, FALSE);
    caption = item;
    button.PlaceImage(FALSE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(42, image.left);
    EXPECT_EQ(12, image.top);
    caption = item;
    button.PlaceImage(TRUE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(42, image.left);
    EXPECT_EQ(3, image.top);
    EXPECT_EQ(16, caption.top);
    EXPECT_EQ(0, caption.left);

    // Right of the caption (alignment 2).
    button.SetAlign(CImageButton::ImageRight, FALSE);
    caption = item;
    button.PlaceImage(FALSE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(42, image.left);
    EXPECT_EQ(0, image.top) << "not centred vertically without caption";
    caption = item;
    button.PlaceImage(TRUE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(100 - 16 - 3, image.left);
    EXPECT_EQ(12, image.top);
    EXPECT_EQ(3, caption.left);
    EXPECT_EQ(100 - 16 - 3, caption.right);

    // Any other alignment moves nothing; odd halves are truncated.
    button.SetAlign(7, FALSE);
    caption = item;
    button.PlaceImage(TRUE, item, caption, FALSE, 16, 16, image);
    EXPECT_EQ(0, image.left);
    EXPECT_EQ(0, image.top);
    button.SetAlign(CImageButton::ImageLeft, FALSE);
    caption = item;
    button.PlaceImage(FALSE, item, caption, FALSE, 15, 15, image);
    EXPECT_EQ(42, image.left);
    EXPECT_EQ(12, image.top);
}

TEST(ImageButtonBinding, TakesCheckBoxAndDefaultFromTheStyleAndBecomesOwnerDrawn)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    DWORD style = host->m_button.GetStyle();
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), style & 0x1F);
    EXPECT_TRUE(style & BS_FLAT);
    EXPECT_FALSE(host->m_button.IsCheckBox());
    EXPECT_FALSE(host->m_button.IsDefaultButton());

    struct Case {
        DWORD type;
        bool checkBox;
        bool defaultButton;
    };
    for (const Case& c : {Case{BS_AUTOCHECKBOX, true, false}, Case{BS_CHECKBOX, true, false},
                          Case{BS_DEFPUSHBUTTON, false, true}, Case{BS_PUSHBUTTON, false, false}}) {
        HWND window = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE | c.type, 0, 0, 40, 20,
                                      host->m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(window);
        {
            CImageButton button;
            ASSERT_TRUE(button.SubclassWindow(window));
            EXPECT_EQ(c.checkBox, button.IsCheckBox() != FALSE) << c.type;
            EXPECT_EQ(c.defaultButton, button.IsDefaultButton() != FALSE) << c.type;
            EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & 0x1F);
        }
        DestroyWindow(window);
    }
}

TEST(ImageButtonDrawing, FlatFrameRaisedWhenHoveredSunkenWhenPressed)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host);
    const COLORREF highlight = Sys(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = Sys(COLOR_BTNSHADOW);

    Canvas rest(120, 30, kSentinel);
    DrawButton(*host, rest, 0);
    EXPECT_EQ(kRestFace, rest.Pixel(0, 0)) << "no frame at rest";
    EXPECT_EQ(kRestFace, rest.Pixel(119, 29));
    EXPECT_EQ(kRestFace, rest.Pixel(2, 15));
    RECT restText = rest.BoundsOf(kRestText, RECT{0, 0, 120, 30});
    ASSERT_GE(restText.right, restText.left) << "the caption is drawn in the rest text colour";
    EXPECT_NEAR((restText.left + restText.right) / 2.0, 60, 2) << "centred";

    // Focused, flat: the focus face, and no focus rectangle with the construction settings.
    Canvas focused(120, 30, kSentinel);
    DrawButton(*host, focused, ODS_FOCUS);
    EXPECT_EQ(kFocusFace, focused.Pixel(3, 3));
    host->m_button.SetStateColor(CImageButton::FocusFace, kRestFace);
    Canvas focusSameFace(120, 30, kSentinel);
    DrawButton(*host, focusSameFace, ODS_FOCUS);
    EXPECT_EQ(rest.Snapshot(), focusSameFace.Snapshot());
    host->m_button.SetFlatFocus(TRUE, FALSE);
    Canvas focusRect(120, 30, kSentinel);
    DrawButton(*host, focusRect, ODS_FOCUS);
    EXPECT_NE(rest.Snapshot(), focusRect.Snapshot()) << "the flat-focus setting adds the focus rectangle";
    host->m_button.SetFlatFocus(FALSE, FALSE);

    MouseMove(host->m_button, 10, 10);
    ASSERT_TRUE(host->m_button.IsHovering());
    Canvas hovered(120, 30, kSentinel);
    DrawButton(*host, hovered, 0);
    EXPECT_EQ(highlight, hovered.Pixel(0, 0));
    EXPECT_EQ(highlight, hovered.Pixel(118, 0));
    EXPECT_EQ(highlight, hovered.Pixel(0, 28));
    EXPECT_EQ(shadow, hovered.Pixel(119, 0));
    EXPECT_EQ(shadow, hovered.Pixel(119, 29));
    EXPECT_EQ(shadow, hovered.Pixel(0, 29));
    EXPECT_EQ(kActiveFace, hovered.Pixel(2, 15));
    RECT hoverText = hovered.BoundsOf(kActiveText, RECT{0, 0, 120, 30});
    EXPECT_EQ(restText.left, hoverText.left) << "hovering does not move the caption";
    host->m_button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(host->m_button.IsHovering());

    Canvas pressed(120, 30, kSentinel);
    DrawButton(*host, pressed, ODS_SELECTED);
    EXPECT_EQ(shadow, pressed.Pixel(0, 0));
    EXPECT_EQ(shadow, pressed.Pixel(0, 28));
    EXPECT_EQ(highlight, pressed.Pixel(119, 29));
    EXPECT_EQ(highlight, pressed.Pixel(119, 0));
    EXPECT_EQ(kActiveFace, pressed.Pixel(2, 15));
    RECT pressedText = pressed.BoundsOf(kActiveText, RECT{0, 0, 120, 30});
    EXPECT_EQ(restText.left + 1, pressedText.left) << "the pressed caption moves one pixel right";
    EXPECT_EQ(restText.top + 1, pressedText.top) << "and one down";
    EXPECT_EQ(restText.right + 1, pressedText.right);
    EXPECT_EQ(restText.bottom + 1, pressedText.bottom);

    // Without the hover-frame setting no frame shows at all.
    host->m_button.SetHoverFrame(FALSE);
    Canvas noFrame(120, 30, kSentinel);
    DrawButton(*host, noFrame, ODS_SELECTED);
    EXPECT_EQ(kActiveFace, noFrame.Pixel(0, 0));
}

TEST(ImageButtonDrawing, ThreeDimensionalEdgeAndDefaultFrameWhenNotFlat)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host);
    host->m_button.SetFlat(FALSE, FALSE);

    Canvas rest(120, 30, kSentinel);
    DrawButton(*host, rest, 0);
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), rest.Pixel(0, 10));
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), rest.Pixel(60, 0));
    EXPECT_EQ(Sys(COLOR_3DLIGHT), rest.Pixel(1, 10));
    EXPECT_EQ(Sys(COLOR_3DDKSHADOW), rest.Pixel(60, 29));
    EXPECT_EQ(Sys(COLOR_3DDKSHADOW), rest.Pixel(119, 10));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), rest.Pixel(60, 28));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), rest.Pixel(118, 10));
    EXPECT_EQ(kRestFace, rest.Pixel(5, 10));

    Canvas pressed(120, 30, kSentinel);
    DrawButton(*host, pressed, ODS_SELECTED);
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), pressed.Pixel(0, 10));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), pressed.Pixel(119, 29));

    // The dialog manager makes it the default button: a black frame, still owner-drawn.
    host->m_button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(host->m_button.IsDefaultButton());
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), host->m_button.GetStyle() & 0x1F);
    Canvas defaultButton(120, 30, kSentinel);
    DrawButton(*host, defaultButton, 0);
    EXPECT_EQ(RGB(0, 0, 0), defaultButton.Pixel(0, 10));
    EXPECT_EQ(RGB(0, 0, 0), defaultButton.Pixel(119, 29));
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), defaultButton.Pixel(1, 10)) << "the edge lies inside the frame";

    // Focused and not flat: a focus rectangle three pixels inside the frame.
    host->m_button.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    Canvas focused(120, 30, kSentinel);
    DrawButton(*host, focused, ODS_FOCUS);
    EXPECT_EQ(RGB(0, 0, 0), focused.Pixel(0, 10)) << "focus also gets the black frame";
    bool focusDots = false;
    for (int x = 4; x < 116; ++x)
        focusDots = focusDots || focused.Pixel(x, 4) != kFocusFace;
    EXPECT_TRUE(focusDots);
}

TEST(ImageButtonDrawing, DisabledCaptionIsDrawnTwice)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host);
    const RECT all = {0, 0, 120, 30};
    Canvas enabled(120, 30, kSentinel);
    DrawButton(*host, enabled, 0);
    Canvas disabled(120, 30, kSentinel);
    DrawButton(*host, disabled, ODS_DISABLED);

    RECT raised = disabled.BoundsOf(Sys(COLOR_BTNHIGHLIGHT), all);
    RECT sunken = disabled.BoundsOf(Sys(COLOR_BTNSHADOW), all);
    EXPECT_GE(raised.right, raised.left) << "a copy in the highlight colour";
    EXPECT_GE(sunken.right, sunken.left) << "a copy in the shadow colour";
    RECT normal = disabled.BoundsOf(kRestText, all);
    EXPECT_LT(normal.right, normal.left) << "no caption in the enabled colour";

    // The shadow copy lies where the enabled caption does, the highlight copy one pixel right and down.
    RECT enabledInk = enabled.InkBounds(kRestFace, all);
    RECT disabledInk = disabled.InkBounds(kRestFace, all);
    EXPECT_EQ(enabledInk.left, disabledInk.left);
    EXPECT_EQ(enabledInk.top, disabledInk.top);
    EXPECT_EQ(enabledInk.right + 1, disabledInk.right);
    EXPECT_EQ(enabledInk.bottom + 1, disabledInk.bottom);
}

TEST(ImageButtonDrawing, LongCaptionWrapsAndIsCentred)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host, 60, 60);
    host->m_button.SetWindowText(L"wrap these words");
    Canvas canvas(60, 60, kSentinel);
    DrawButton(*host, canvas, 0);
    RECT text = canvas.BoundsOf(kRestText, RECT{0, 0, 60, 60});
    ASSERT_GE(text.right, text.left);
    EXPECT_LT(text.right, 60);
    int height = text.bottom - text.top + 1;
    EXPECT_GT(height, 20) << "more than one line";
    EXPECT_NEAR(text.top, 60 - 1 - text.bottom, 3) << "the block is centred vertically";
}

TEST(ImageButtonDrawing, IconAndBitmapImages)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host, 100, 40);
    host->m_button.SetWindowText(L"");

    // A 16 x 16 bitmap, solid blue: centred without caption.
    WindowDC screen(nullptr);
    HBITMAP blue = CreateCompatibleBitmap(screen.Get(), 16, 16);
    {
        UniqueDC dc(CreateCompatibleDC(screen.Get()));
        ScopedSelect select(dc.Get(), blue);
        RECT all = {0, 0, 16, 16};
        UniqueBrush brush(CreateSolidBrush(RGB(0, 0, 255)));
        FillRect(dc.Get(), &all, brush.Get());
    }
    host->m_button.SetBitmaps(blue, RGB(255, 255, 255));
    Canvas canvas(100, 40, kSentinel);
    DrawButton(*host, canvas, 0);
    RECT image = canvas.BoundsOf(RGB(0, 0, 255), RECT{0, 0, 100, 40});
    EXPECT_EQ(42, image.left);
    EXPECT_EQ(12, image.top);
    EXPECT_EQ(57, image.right);
    EXPECT_EQ(27, image.bottom);

    Canvas pressed(100, 40, kSentinel);
    DrawButton(*host, pressed, ODS_SELECTED);
    EXPECT_EQ(43, pressed.BoundsOf(RGB(0, 0, 255), RECT{0, 0, 100, 40}).left);

    Canvas disabled(100, 40, kSentinel);
    DrawButton(*host, disabled, ODS_DISABLED);
    RECT grey = disabled.BoundsOf(RGB(0, 0, 255), RECT{0, 0, 100, 40});
    EXPECT_LT(grey.right, grey.left) << "a disabled bitmap is drawn embossed";
    host->m_button.SetDisabledBitmapLook(FALSE);
    Canvas unchanged(100, 40, kSentinel);
    DrawButton(*host, unchanged, ODS_DISABLED);
    EXPECT_EQ(42, unchanged.BoundsOf(RGB(0, 0, 255), RECT{0, 0, 100, 40}).left);

    // An icon beside a caption: 3 pixels from the left.
    host->m_button.FreeImages(TRUE);
    host->m_button.SetWindowText(L"<>");
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ENTRY_TEXT), IMAGE_ICON, 16, 16, 0));
    ASSERT_TRUE(icon);
    host->m_button.SetIcons(icon);
    Canvas withIcon(100, 40, kSentinel);
    DrawButton(*host, withIcon, 0);
    RECT drawn = withIcon.InkBounds(kRestFace, RECT{0, 0, 30, 40});
    EXPECT_GE(drawn.left, 3);
    EXPECT_LE(drawn.right, 3 + 15);
    EXPECT_GE(drawn.top, 12);
    EXPECT_LE(drawn.bottom, 12 + 15);
}

TEST(ImageButtonDrawing, TransparentFaceIsTheParentsPixelsCapturedOnce)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host, 60, 20);
    host->m_button.SetWindowText(L"");
    host->m_button.SetTransparent(TRUE);
    RECT window = {};
    host->m_button.GetWindowRect(&window);
    host->ScreenToClient(&window);
    auto paintParent = [&](COLORREF colour) {
        CClientDC parent(host.get());
        UniqueBrush brush(CreateSolidBrush(colour));
        FillRect(parent, &window, brush.Get());
    };

    paintParent(RGB(255, 0, 255));
    Canvas first(60, 20, kSentinel);
    DrawButton(*host, first, 0);
    EXPECT_EQ(RGB(255, 0, 255), first.Pixel(30, 10));
    EXPECT_EQ(RGB(255, 0, 255), first.Pixel(59, 19));

    // Captured once: a changed parent shows only after a system colour change.
    paintParent(RGB(0, 255, 255));
    Canvas second(60, 20, kSentinel);
    DrawButton(*host, second, 0);
    EXPECT_EQ(RGB(255, 0, 255), second.Pixel(30, 10));
    host->m_button.SendMessage(WM_SYSCOLORCHANGE);
    Canvas third(60, 20, kSentinel);
    DrawButton(*host, third, 0);
    EXPECT_EQ(RGB(0, 255, 255), third.Pixel(30, 10));
}

TEST(ImageButtonMessages, DefaultStyleChangesTheDialogCode)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    CImageButton& button = host->m_button;
    EXPECT_TRUE(button.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
    EXPECT_FALSE(button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);

    button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & 0x1F);

    button.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(button.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & 0x1F);

    // Another type leaves the default flag alone.
    button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    button.SendMessage(BM_SETSTYLE, BS_GROUPBOX, TRUE);
    EXPECT_TRUE(button.IsDefaultButton());

    // The colour message reflected from the parent asks for no background brush.
    WindowDC dc(button.m_hWnd);
    LRESULT brush = host->SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.Get()),
                                      reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), brush);
}

TEST(ImageButtonMessages, DisablingMovesTheFocusToTheNextTabStop)
{
    auto host = OpenHost(IDD_TEST_BUTTONS, IDC_TEST_FIRST);
    ASSERT_TRUE(host);
    HWND second = GetDlgItem(host->m_hWnd, IDC_TEST_SECOND);
    HWND third = GetDlgItem(host->m_hWnd, IDC_TEST_THIRD);
    SetFocus(third);
    ASSERT_EQ(third, GetFocus());
    host->m_button.EnableWindow(FALSE);
    EXPECT_EQ(second, GetFocus()) << "even though another control had the focus";
    host->m_button.EnableWindow(TRUE);
}

TEST(ImageButtonMessages, ClickReachesTheParentAndDoubleClickPressesTwice)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    CImageButton& button = host->m_button;
    button.SendMessage(BM_CLICK);
    PumpMessages(20);
    EXPECT_EQ(1, Clicks(*host, IDC_BUTTON_OPTIONS));
    EXPECT_EQ(button.m_hWnd, GetFocus()) << "the click takes the focus";

    host->m_commands.clear();
    LPARAM at = MAKELPARAM(5, 5);
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    button.SendMessage(WM_LBUTTONUP, 0, at);
    button.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    button.SendMessage(WM_LBUTTONUP, 0, at);
    PumpMessages(20);
    EXPECT_EQ(2, Clicks(*host, IDC_BUTTON_OPTIONS));
}

TEST(ImageButtonMessages, CheckBoxModeTogglesOnClickAndAnswersCheckMessages)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    HWND window = CreateWindowExW(0, L"BUTTON", L"check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 0, 60, 20,
                                  host->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(4321)),
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    CImageButton check;
    ASSERT_TRUE(check.SubclassWindow(window));
    ASSERT_TRUE(check.IsCheckBox());
    check.SendMessage(BM_CLICK);
    EXPECT_TRUE(check.IsChecked());
    EXPECT_EQ(BST_CHECKED, check.SendMessage(BM_GETCHECK));
    check.SendMessage(BM_CLICK);
    EXPECT_FALSE(check.IsChecked());
    check.SendMessage(BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_TRUE(check.IsChecked());
    check.SendMessage(BM_SETCHECK, BST_UNCHECKED);
    EXPECT_FALSE(check.IsChecked());
    EXPECT_EQ(2, Clicks(*host, 4321)) << "the parent still hears each click";

    // Checked draws pressed (sunken frame) with the caption in place.
    check.SetChecked(TRUE, FALSE);
    Canvas canvas(60, 20, kSentinel);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 4321;
    item.hwndItem = window;
    item.hDC = canvas.hdc();
    item.rcItem = RECT{0, 0, 60, 20};
    host->SendMessage(WM_DRAWITEM, 4321, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), canvas.Pixel(0, 0));
    check.UnsubclassWindow();
    DestroyWindow(window);
}

TEST(ImageButtonHover, StartsOnlyWithoutTheLeftButtonAndEndsOnLeaveOrFocusLoss)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host);
    CImageButton& button = host->m_button;

    MouseMove(button, 10, 10, MK_LBUTTON);
    EXPECT_FALSE(button.IsHovering()) << "dragging onto the button does not start hovering";
    MouseMove(button, 10, 10);
    EXPECT_TRUE(button.IsHovering());
    MouseMove(button, 11, 10, MK_LBUTTON);
    EXPECT_TRUE(button.IsHovering()) << "a hovering button keeps hovering while pressed";
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(button.IsHovering());

    MouseMove(button, 10, 10);
    ASSERT_TRUE(button.IsHovering());
    button.SendMessage(WM_KILLFOCUS);
    EXPECT_FALSE(button.IsHovering());
    MouseMove(button, 10, 10);
    button.SendMessage(WM_CANCELMODE);
    EXPECT_FALSE(button.IsHovering());

    // A point outside the button ends the hover; a button that is not flat never hovers.
    MouseMove(button, 10, 10);
    MouseMove(button, 500, 500);
    EXPECT_FALSE(button.IsHovering());
    button.SetFlat(FALSE, FALSE);
    MouseMove(button, 10, 10);
    EXPECT_FALSE(button.IsHovering());
}

TEST(ImageButtonHover, HoverAnywhereShowsTheFrameWhileNoWindowOfTheThreadIsActive)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host);
    CImageButton& button = host->m_button;

    // Another thread's window takes the activation, as another program's would.
    std::atomic<HWND> other{nullptr};
    std::atomic<bool> done{false};
    std::thread thread([&] {
        HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window);
        other = window;
        while (!done) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            Sleep(5);
        }
        DestroyWindow(window);
    });
    for (int i = 0; i < 200 && (!other || GetActiveWindow()); ++i)
        PumpMessages(10);
    bool inactive = other && !GetActiveWindow();

    if (inactive) {
        button.SetHoverAnywhere(FALSE);
        MouseMove(button, 10, 10);
        EXPECT_FALSE(button.IsHovering()) << "without the setting it needs an active window of its thread";
        button.SetHoverAnywhere(TRUE);
        MouseMove(button, 10, 10);
        EXPECT_TRUE(button.IsHovering()) << "with it (the construction value) it hovers all the same";
    }
    done = true;
    thread.join();
    if (!inactive)
        GTEST_SKIP() << "this display would not hand the activation to another thread";

    SetForegroundWindow(host->m_hWnd);
    PumpMessages(50);
    button.SendMessage(WM_MOUSELEAVE);
    button.SetHoverAnywhere(FALSE);
    MouseMove(button, 10, 10);
    EXPECT_TRUE(button.IsHovering()) << "with an active window of its thread it hovers";
}

TEST(ImageButtonTooltip, CreatedInactiveOnTheFirstMessage)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    CImageButton& button = host->m_button;
    EXPECT_EQ(nullptr, button.GetToolTip().m_hWnd);
    MSG msg = {button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3), GetTickCount(), {}};
    EXPECT_FALSE(button.PreTranslateMessage(&msg));
    HWND tip = button.GetToolTip().m_hWnd;
    ASSERT_TRUE(tip);
    EXPECT_EQ(400, SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0));
    EXPECT_EQ(0, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0)) << "no tool: no tip shows";
    button.PreTranslateMessage(&msg);
    EXPECT_EQ(tip, button.GetToolTip().m_hWnd) << "created once";

    button.SetTooltipText(L"Options");
    EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
}

TEST(ImageButtonMenu, DropsDownBelowTheLowerLeftCornerAndPostsTheCommand)
{
    // The flat style, with glyphs that the menu's commands registered beforehand.
    control_test::StyleGuard style;
    control_test::StyleGuard::UseFlat();
    KelvoMenu glyphs;
    ASSERT_TRUE(glyphs.CreatePopupMenu());
    glyphs.AppendItem(L"", MF_STRING, ID_TEST_OPEN, IDT_TEST_TOOLBAR16);
    glyphs.AppendItem(L"", MF_STRING, ID_TEST_EXIT, IDT_TEST_TOOLBAR16);

    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    PrepareForPixels(*host, 80, 20);
    ButtonHost target(IDD_TEST_BUTTONS, IDC_TEST_FIRST);
    ASSERT_TRUE(target.Create(nullptr));
    ASSERT_TRUE(host->m_button.SetMenu(IDM_TEST_POPUP, target.m_hWnd));
    HMENU popup = GetSubMenu(host->m_button.GetMenu().m_hMenu, 0);
    ASSERT_TRUE(KelvoMenu::IsOwnMenu(popup));

    // Mnemonics and measuring of the dropped-down items are answered by the button.
    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE),
              host->m_button.SendMessage(WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), reinterpret_cast<LPARAM>(popup)));
    auto* level = static_cast<KelvoMenu*>(CMenu::FromHandlePermanent(popup));
    ASSERT_NE(nullptr, level);
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemID = ID_TEST_CUT;
    measure.itemData = reinterpret_cast<ULONG_PTR>(level->GetItem(1));
    EXPECT_TRUE(host->m_button.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_GT(measure.itemWidth, 33u);
    EXPECT_GT(measure.itemHeight, 0u);

    RECT button = {};
    host->m_button.GetWindowRect(&button);
    {
        // Also writes control_screenshots/dropdown_menu_flat.bmp: the real menu window.
        MenuPicker picker(L"dropdown_menu_flat");
        host->m_button.SendMessage(BM_CLICK);
        ASSERT_TRUE(picker.Found()) << "no menu opened";
        EXPECT_EQ(button.left, picker.m_rect.left);
        EXPECT_EQ(button.bottom, picker.m_rect.top);
        EXPECT_GE(picker.m_rect.right - picker.m_rect.left, static_cast<LONG>(measure.itemWidth))
            << "the items were measured by the icon menu while it was shown";
    }
    PumpMessages(50);
    ASSERT_EQ(1u, target.m_commands.size());
    EXPECT_EQ(static_cast<WPARAM>(ID_TEST_OPEN), target.m_commands[0]);
    EXPECT_EQ(1, Clicks(*host, IDC_BUTTON_OPTIONS)) << "the parent hears the click as well";
}

TEST(ImageButtonMenu, DestructionReleasesTheMenu)
{
    HMENU popup = nullptr;
    {
        CImageButton button;
        ASSERT_TRUE(button.SetMenu(IDM_TEST_POPUP, nullptr));
        popup = GetSubMenu(button.GetMenu().m_hMenu, 0);
        ASSERT_TRUE(KelvoMenu::IsOwnMenu(popup));
    }
    EXPECT_FALSE(KelvoMenu::IsOwnMenu(popup));
    EXPECT_FALSE(IsMenu(popup));
}

// Writes control_screenshots/popup_strip_rest.bmp and popup_strip_hovered.bmp:
// the popup (template 102) with its "<>" strip at rest and under the pointer.
TEST(ControlScreenshots, PopupOptionsStripAtRestAndHovered)
{
    auto host = OpenHost(IDD_QUILLARY_DIALOG, IDC_BUTTON_OPTIONS);
    ASSERT_TRUE(host);
    // The popup's layout: the list fills the window above a full-width "<>" strip along the bottom edge.
    RECT client = {};
    host->GetClientRect(&client);
    RECT strip = {};
    host->m_button.GetWindowRect(&strip);
    int stripHeight = strip.bottom - strip.top;
    HWND list = GetDlgItem(host->m_hWnd, IDC_LIST_HISTORY);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = client.right - 20;
    column.pszText = const_cast<wchar_t*>(L"Txt");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    const wchar_t* entries[] = {L"Copied text", L"Another entry", L"A third one"};
    for (int i = 0; i < 3; ++i) {
        LVITEMW entry = {};
        entry.mask = LVIF_TEXT;
        entry.iItem = i;
        entry.pszText = const_cast<wchar_t*>(entries[i]);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    }
    RECT header = {};
    GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
    int headerHeight = header.bottom - header.top;
    MoveWindow(list, 0, -headerHeight, client.right, client.bottom - stripHeight + headerHeight, TRUE);
    host->m_button.MoveWindow(0, client.bottom - stripHeight + 1, client.right, stripHeight);
    RedrawWindow(host->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(100);
    ASSERT_TRUE(control_test::CaptureWindow(host->m_hWnd, control_test::ScreenshotPath(L"popup_strip_rest")));

    host->m_button.GetWindowRect(&strip);
    EXPECT_EQ(Sys(COLOR_BTNFACE), WaitForScreenPixel(strip.left, strip.top, Sys(COLOR_BTNFACE))) << "flat at rest";
    MouseMove(host->m_button, 20, 3);
    ASSERT_TRUE(host->m_button.IsHovering());
    UpdateWindow(host->m_button.m_hWnd);
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), WaitForScreenPixel(strip.left, strip.top, Sys(COLOR_BTNHIGHLIGHT)))
        << "raised frame while hovered";
    // The strip's last row lies one pixel below the client area; its right edge is in view.
    int middle = (strip.top + strip.bottom) / 2;
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), WaitForScreenPixel(strip.right - 1, middle, Sys(COLOR_BTNSHADOW)));
    ASSERT_TRUE(control_test::CaptureWindow(host->m_hWnd, control_test::ScreenshotPath(L"popup_strip_hovered")));
}
