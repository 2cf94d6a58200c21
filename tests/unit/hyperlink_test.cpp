// The hyperlink label: the launch command and error texts, the fitting
// arithmetic, the registry read, and the control bound to real static
// controls of a dialog (binding, fonts, colours, hover, tooltip, click).
#include <gtest/gtest.h>

#include "controls/HyperLinkLabel.h"
#include "controls/LabelFitting.h"
#include "controls/LaunchCommand.h"
#include "controls/LaunchErrors.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "resource.h"

#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------- launch command

TEST(LaunchCommand, QuotedPlaceholderCutsAtItsQuoteAndDropsFurtherArguments)
{
    EXPECT_EQ(BuildOpenCommand(L"\"C:\\Web\\browser.exe\" -nohome \"%1\" --new-window", L"https://a.example/"),
              L"\"C:\\Web\\browser.exe\" -nohome  \"https://a.example/\"");
}

TEST(LaunchCommand, BarePlaceholderCutsThere)
{
    EXPECT_EQ(BuildOpenCommand(L"browser.exe %1 -extra", L"mailto:x@y.example"), L"browser.exe  \"mailto:x@y.example\"");
}

TEST(LaunchCommand, QuotedFormIsLookedForFirstEvenWhenABareOneComesEarlier)
{
    EXPECT_EQ(BuildOpenCommand(L"b.exe %1 \"%1\"", L"t"), L"b.exe %1  \"t\"");
}

TEST(LaunchCommand, CommandWithoutPlaceholderRunsWholeWithTheTargetAppended)
{
    EXPECT_EQ(BuildOpenCommand(L"\"C:\\Web\\browser.exe\" -new", L"https://b.example/"),
              L"\"C:\\Web\\browser.exe\" -new \"https://b.example/\"");
}

TEST(LaunchCommand, TargetOfAnyLengthIsKeptWhole)
{
    const std::wstring target = L"https://long.example/?q=" + std::wstring(5000, L'x') + L"\u00e9\u4e2d";
    const std::wstring command = BuildOpenCommand(L"browser.exe \"%1\"", target);
    EXPECT_EQ(command, L"browser.exe  \"" + target + L"\"");
}

TEST(LaunchCommand, TargetWithSpacesQuotesAndBackslashesIsOneArgument)
{
    // Read back by the system's own command-line parser, as the started browser would.
    for (const std::wstring& target :
         {std::wstring(L"C:\\My Pages\\index.htm"), std::wstring(L"https://a.example/?q=\"x y\"&z"),
          std::wstring(L"\\\\server\\share with space\\"), std::wstring(L"a\\\\\"b"), std::wstring()}) {
        const std::wstring command = BuildOpenCommand(L"\"C:\\Web\\browser.exe\" -new \"%1\" -x", target);
        int count = 0;
        LPWSTR* arguments = CommandLineToArgvW(command.c_str(), &count);
        ASSERT_NE(arguments, nullptr);
        ASSERT_EQ(count, 3);
        EXPECT_EQ(std::wstring(arguments[1]), L"-new");
        EXPECT_EQ(std::wstring(arguments[2]), target);
        LocalFree(arguments);
    }
}

// ---------------------------------------------------------------- error texts

TEST(LaunchErrors, EveryKnownCodeHasItsTextAfterTheFixedFirstLine)
{
    const std::wstring prefix = L"Unable to open hyperlink:\n\n";
    const std::vector<std::pair<int, std::wstring>> table = {
        {0, L"The operating system is out\nof memory or resources."},
        {2, L"The specified file was not found."},
        {3, L"The specified path was not found."},
        {5, L"The operating system denied\naccess to the specified file."},
        {8, L"There was not enough memory to complete the operation."},
        {11, L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, L"A sharing violation occurred. "},
        {27, L"The filename association is\nincomplete or invalid."},
        {28, L"The DDE transaction could not\nbe completed because the request timed out."},
        {29, L"The DDE transaction failed."},
        {30, L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, L"There is no application associated\nwith the given filename extension."},
        {32, L"The specified dynamic-link library was not found."},
    };
    for (const auto& entry : table)
        EXPECT_EQ(LaunchErrorMessage(entry.first), prefix + entry.second) << "code " << entry.first;
}

TEST(LaunchErrors, OtherCodesIncludingNegativeOnesAreUnknownWithTheirNumber)
{
    const std::wstring prefix = L"Unable to open hyperlink:\n\n";
    EXPECT_EQ(LaunchErrorMessage(1), prefix + L"Unknown Error (1) occurred.");
    EXPECT_EQ(LaunchErrorMessage(4), prefix + L"Unknown Error (4) occurred.");
    EXPECT_EQ(LaunchErrorMessage(33), prefix + L"Unknown Error (33) occurred.");
    EXPECT_EQ(LaunchErrorMessage(-1), prefix + L"Unknown Error (-1) occurred.");
    EXPECT_EQ(LaunchErrorMessage(-2147483647 - 1), prefix + L"Unknown Error (-2147483648) occurred.");
}

// ---------------------------------------------------------------- fitting arithmetic

RECT Rect(int left, int top, int right, int bottom)
{
    return RECT{left, top, right, bottom};
}

void ExpectRect(const RECT& actual, int left, int top, int right, int bottom)
{
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

TEST(LabelFitting, LeftAlignedKeepsTopLeftAndAddsTheBorder)
{
    // Window 100 x 20 with a 2-pixel border all round: the client is 96 x 16.
    const RECT window = Rect(10, 20, 110, 40);
    const RECT client = Rect(12, 22, 108, 38);
    ExpectRect(FitLabelRect(window, client, SIZE{50, 13}, SS_LEFT), 10, 20, 64, 37);
    ExpectRect(FitLabelRect(window, client, SIZE{150, 30}, SS_LEFT), 10, 20, 164, 54);
}

TEST(LabelFitting, RightAlignedKeepsTheRightEdge)
{
    ExpectRect(FitLabelRect(Rect(10, 20, 110, 40), Rect(10, 20, 110, 40), SIZE{41, 13}, SS_RIGHT), 69, 20, 110, 33);
    ExpectRect(FitLabelRect(Rect(10, 20, 110, 40), Rect(10, 20, 110, 40), SIZE{130, 13}, SS_RIGHT), -20, 20, 110, 33);
}

TEST(LabelFitting, CentredKeepsTheHorizontalCentreAndTruncatesAnOddDifference)
{
    // Shrinking by 59: each side moves in by 29, one pixel more than the text needs stays.
    ExpectRect(FitLabelRect(Rect(10, 20, 110, 40), Rect(10, 20, 110, 40), SIZE{41, 13}, SS_CENTER), 39, 20, 81, 33);
    // Growing by 5 (difference -5): each side moves out by 2, one pixel less than the text needs.
    ExpectRect(FitLabelRect(Rect(10, 20, 110, 40), Rect(10, 20, 110, 40), SIZE{105, 13}, SS_CENTER), 8, 20, 112,
               33);
    // An even difference splits exactly.
    ExpectRect(FitLabelRect(Rect(10, 20, 110, 40), Rect(10, 20, 110, 40), SIZE{60, 13}, SS_CENTER), 30, 20, 90, 33);
}

TEST(LabelFitting, CentreImageKeepsTheVerticalCentreAndTruncatesAnOddDifference)
{
    // 21 high, 16 needed: difference 5, 2 off each side.
    ExpectRect(FitLabelRect(Rect(0, 0, 50, 21), Rect(0, 0, 50, 21), SIZE{50, 16}, SS_CENTERIMAGE), 0, 2, 50, 19);
    // 10 high, 15 needed: difference -5, 2 added each side.
    ExpectRect(FitLabelRect(Rect(0, 10, 50, 20), Rect(0, 10, 50, 20), SIZE{50, 15}, SS_CENTERIMAGE), 0, 8, 50, 22);
    // Both centres at once.
    ExpectRect(FitLabelRect(Rect(0, 0, 50, 21), Rect(0, 0, 50, 21), SIZE{41, 16}, SS_CENTER | SS_CENTERIMAGE), 4, 2,
               46, 19);
}

// ---------------------------------------------------------------- registry read

class RegistryRead : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = L"Software\\QuillaryTests\\hyperlink-" + std::to_wstring(GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }

    void SetDefault(const std::wstring& subkey, DWORD type, const std::wstring& text)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (m_path + subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (type != REG_NONE)
            RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    std::wstring m_path;
};

TEST_F(RegistryRead, DefaultValueOfAnyLengthIsRead)
{
    const std::wstring command = L"\"C:\\Program Files\\Web\\browser.exe\" \"%1\" " + std::wstring(600, L'a');
    SetDefault(L"\\shell\\open\\command", REG_SZ, command);
    std::wstring value = L"stale";
    EXPECT_EQ(CHyperLinkLabel::QueryRegDefault(HKEY_CURRENT_USER, (m_path + L"\\shell\\open\\command").c_str(), value),
              ERROR_SUCCESS);
    EXPECT_EQ(value, command);
}

TEST_F(RegistryRead, MissingKeyReportsTheOpenErrorAndUnreadableDefaultIsEmpty)
{
    std::wstring value = L"stale";
    EXPECT_EQ(CHyperLinkLabel::QueryRegDefault(HKEY_CURRENT_USER, (m_path + L"\\absent").c_str(), value),
              ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(value.empty());

    SetDefault(L"\\novalue", REG_NONE, L"");
    value = L"stale";
    EXPECT_EQ(CHyperLinkLabel::QueryRegDefault(HKEY_CURRENT_USER, (m_path + L"\\novalue").c_str(), value),
              ERROR_SUCCESS);
    EXPECT_TRUE(value.empty());
}

TEST_F(RegistryRead, ExpandableDefaultIsExpanded)
{
    SetEnvironmentVariableW(L"QUILLARY_TEST_ROOT", L"C:\\Apps");
    SetDefault(L"\\expand", REG_EXPAND_SZ, L"%QUILLARY_TEST_ROOT%\\web.exe \"%1\"");
    std::wstring value;
    EXPECT_EQ(CHyperLinkLabel::QueryRegDefault(HKEY_CURRENT_USER, (m_path + L"\\expand").c_str(), value),
              ERROR_SUCCESS);
    EXPECT_EQ(value, L"C:\\Apps\\web.exe \"%1\"");
}

// ---------------------------------------------------------------- the control

// A label whose launches are recorded instead of reaching the shell.
class RecordingLabel : public CHyperLinkLabel {
public:
    int launchResult = 42;
    std::vector<std::pair<std::wstring, int>> launches;
    std::vector<int> errors;

    int LaunchTarget(const wchar_t* target, int showCommand) override
    {
        launches.emplace_back(target, showCommand);
        return launchResult;
    }
    void ShowLaunchError(int code) override { errors.push_back(code); }
};

// The About template holds two static controls, 1017 and 1019, to bind.
class LabelHost : public CDialog {
public:
    LabelHost() : CDialog(IDD_ABOUTBOX) {}

    RecordingLabel support;
    bool bindSupport = true;
    std::vector<std::pair<UINT, UINT>> commandsSeen;  // (id, code) of WM_COMMAND that reached the dialog

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        if (bindSupport)
            DDX_Control(dx, IDC_LINK_SUPPORT, support);
    }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commandsSeen.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return CDialog::OnCommand(wParam, lParam);
    }
};

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ToolTipText(HWND toolTip, HWND tool)
{
    std::vector<wchar_t> buffer(4096, L'\0');
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = tool;
    info.uId = 1;
    info.lpszText = buffer.data();
    SendMessageW(toolTip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return buffer.data();
}

SIZE CaptionExtent(HWND label, HFONT font)
{
    SIZE size = {};
    std::wstring caption = WindowText(label);
    HDC dc = GetDC(label);
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return size;
}

RECT RectInParent(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LOGFONTW FontOf(HWND window)
{
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

// Runs the thread's messages until `done` or the time is up.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// The display is shared with other test programs that may move the pointer or
// cover our windows; a check that needs the pointer where the test put it is
// run again when something else moved it.
constexpr int kPointerAttempts = 5;
constexpr const char* kPointerBusy = "the shared display's pointer kept being moved by another program";

bool PointerIs(POINT expected)
{
    POINT now = {};
    GetCursorPos(&now);
    return now.x == expected.x && now.y == expected.y;
}

class Label : public testing::Test {
protected:
    void Open()
    {
        ASSERT_TRUE(host.Create(nullptr));
        // Away from the top-left corner, where the program's own popup opens in other tests.
        SetWindowPos(host.m_hWnd, HWND_TOPMOST, 560, 360, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        label = GetDlgItem(host.m_hWnd, IDC_LINK_SUPPORT);
        ASSERT_NE(label, nullptr);
    }

    // A further static control of the host, with the given style and caption.
    HWND AddStatic(DWORD style, const wchar_t* caption, int x, int y, int width, int height, int id)
    {
        HWND control = CreateWindowExW(0, L"Static", caption, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                       host.m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, SendMessageW(host.m_hWnd, WM_GETFONT, 0, 0), FALSE);
        return control;
    }

    LRESULT ColourFor(HWND control, COLORREF* text, int* mode)
    {
        HDC dc = CreateCompatibleDC(nullptr);
        LRESULT brush = SendMessageW(host.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(control));
        *text = GetTextColor(dc);
        *mode = GetBkMode(dc);
        DeleteDC(dc);
        return brush;
    }

    LabelHost host;
    HWND label = nullptr;
};

TEST_F(Label, BindingWithoutTargetTakesTheCaptionAddsNotifyAndFitsToTheUnderlinedCaption)
{
    Open();
    const std::wstring caption = WindowText(label);
    ASSERT_FALSE(caption.empty());
    EXPECT_EQ(std::wstring(host.support.GetTarget()), caption);
    EXPECT_NE(GetWindowLongPtrW(label, GWL_STYLE) & SS_NOTIFY, 0);
    EXPECT_EQ(ToolTipText(host.support.GetToolTip(), label), caption);
    EXPECT_NE(host.support.GetHandCursor(), nullptr);

    // A fresh label keeps the dialog's font; hovering shows the underlined face.
    EXPECT_EQ(FontOf(label).lfUnderline, 0);
    SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    const LOGFONTW underlined = FontOf(label);
    EXPECT_EQ(underlined.lfUnderline, 1);
    const SIZE text = CaptionExtent(label, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT rect = RectInParent(label);
    EXPECT_EQ(rect.right - rect.left, text.cx);
    EXPECT_EQ(rect.bottom - rect.top, text.cy);
}

TEST_F(Label, TargetSetBeforeBindingWinsOverTheCaption)
{
    host.support.SetTarget(L"https://before.example/");
    Open();
    EXPECT_EQ(std::wstring(host.support.GetTarget()), L"https://before.example/");
    EXPECT_NE(WindowText(label), L"https://before.example/");
    EXPECT_EQ(ToolTipText(host.support.GetToolTip(), label), L"https://before.example/");
}

TEST_F(Label, EmptyCaptionTakesTheTargetAndBothEmptyStayEmpty)
{
    host.bindSupport = false;
    Open();
    HWND blank = AddStatic(SS_LEFT, L"", 10, 10, 80, 20, 2001);
    HWND nothing = AddStatic(SS_LEFT, L"", 10, 40, 80, 20, 2002);
    CHyperLinkLabel withTarget;
    withTarget.SetTarget(L"mailto:someone@example.org");
    ASSERT_TRUE(withTarget.SubclassWindow(blank));
    EXPECT_EQ(WindowText(blank), L"mailto:someone@example.org");

    CHyperLinkLabel empty;
    ASSERT_TRUE(empty.SubclassWindow(nothing));
    EXPECT_EQ(WindowText(nothing), L"");
    EXPECT_TRUE(empty.GetTarget().IsEmpty());
    EXPECT_EQ(ToolTipText(empty.GetToolTip(), nothing), L"");
}

TEST_F(Label, SetTargetAfterBindingRefitsToTheCaptionAndChangesTheTip)
{
    Open();
    SetWindowTextW(label, L"A much longer caption than before");
    const std::wstring target = L"https://after.example/" + std::wstring(300, L'p');
    host.support.SetTarget(target.c_str());
    EXPECT_EQ(ToolTipText(host.support.GetToolTip(), label), target);
    SendMessageW(label, WM_MOUSEMOVE, 0, 0);
    const SIZE text = CaptionExtent(label, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT rect = RectInParent(label);
    EXPECT_EQ(rect.right - rect.left, text.cx);
}

TEST_F(Label, AlignmentDecidesWhichEdgeOrCentreStays)
{
    host.bindSupport = false;
    Open();
    HWND right = AddStatic(SS_RIGHT, L"Right link", 10, 10, 300, 40, 2001);
    HWND centre = AddStatic(SS_CENTER, L"Centre link", 10, 60, 301, 40, 2002);
    HWND middle = AddStatic(SS_CENTERIMAGE, L"Middle link", 10, 110, 300, 41, 2003);
    CHyperLinkLabel rightLabel, centreLabel, middleLabel;
    ASSERT_TRUE(rightLabel.SubclassWindow(right));
    ASSERT_TRUE(centreLabel.SubclassWindow(centre));
    ASSERT_TRUE(middleLabel.SubclassWindow(middle));
    rightLabel.SetUnderlineMode(1);
    centreLabel.SetUnderlineMode(1);
    middleLabel.SetUnderlineMode(1);

    const SIZE rightText = CaptionExtent(right, reinterpret_cast<HFONT>(SendMessageW(right, WM_GETFONT, 0, 0)));
    RECT rect = RectInParent(right);
    EXPECT_EQ(rect.right, 310);
    EXPECT_EQ(rect.left, 310 - rightText.cx);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.bottom, 10 + rightText.cy);

    const SIZE centreText = CaptionExtent(centre, reinterpret_cast<HFONT>(SendMessageW(centre, WM_GETFONT, 0, 0)));
    const int inset = (301 - centreText.cx) / 2;
    rect = RectInParent(centre);
    EXPECT_EQ(rect.left, 10 + inset);
    EXPECT_EQ(rect.right, 311 - inset);

    const SIZE middleText = CaptionExtent(middle, reinterpret_cast<HFONT>(SendMessageW(middle, WM_GETFONT, 0, 0)));
    const int drop = (41 - middleText.cy) / 2;
    rect = RectInParent(middle);
    EXPECT_EQ(rect.top, 110 + drop);
    EXPECT_EQ(rect.bottom, 151 - drop);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right, 10 + middleText.cx);
}

TEST_F(Label, ColoursFollowHoverAndVisitedOnATransparentBackground)
{
    Open();
    COLORREF text = 0;
    int mode = 0;
    EXPECT_EQ(ColourFor(label, &text, &mode), reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(text, RGB(0, 0, 238));
    EXPECT_EQ(mode, TRANSPARENT);

    host.support.MarkVisited(TRUE);
    ColourFor(label, &text, &mode);
    EXPECT_EQ(text, RGB(85, 26, 139));

    SendMessageW(label, WM_MOUSEMOVE, 0, 0);
    ColourFor(label, &text, &mode);
    // Darker than pure red, which stands out from the dialog face by 3.5:1 only.
    EXPECT_EQ(text, RGB(192, 0, 0));

    // Other static controls of the dialog keep the dialog's colours.
    HWND other = GetDlgItem(host.m_hWnd, IDC_LINK_HOME);
    EXPECT_NE(ColourFor(other, &text, &mode), reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
}

TEST_F(Label, HoverEndsOnTheFirstTickWithThePointerOutside)
{
    Open();
    RECT rect;
    GetWindowRect(label, &rect);
    const POINT inside = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const POINT outside = {rect.left - 60, rect.top - 60};
    for (int attempt = 0;; ++attempt) {
        ASSERT_TRUE(SetCursorPos(inside.x, inside.y));
        SendMessageW(label, WM_MOUSEMOVE, 0, 0);
        ASSERT_TRUE(host.support.IsHovering());
        EXPECT_EQ(FontOf(label).lfUnderline, 1);

        // Ticks with the pointer inside change nothing.
        PumpUntil([] { return false; }, 350);
        const bool stayedInside = PointerIs(inside);
        const bool hoveringInside = host.support.IsHovering() != FALSE;
        const BYTE underlineInside = FontOf(label).lfUnderline;

        ASSERT_TRUE(SetCursorPos(outside.x, outside.y));
        const bool ended = PumpUntil([&] { return !host.support.IsHovering(); }, 2000);
        if ((stayedInside && PointerIs(outside)) || attempt == kPointerAttempts) {
            ASSERT_TRUE(stayedInside && PointerIs(outside)) << kPointerBusy;
            EXPECT_TRUE(hoveringInside);
            EXPECT_EQ(underlineInside, 1);
            EXPECT_TRUE(ended);
            EXPECT_EQ(FontOf(label).lfUnderline, 0);
            return;
        }
        PumpUntil([&] { return !host.support.IsHovering(); }, 2000);
    }
}

TEST_F(Label, UnderlineModesDecideTheFont)
{
    Open();
    RECT rect;
    GetWindowRect(label, &rect);
    const POINT outside = {rect.left - 60, rect.top - 60};

    host.support.SetUnderlineMode(1);
    EXPECT_EQ(FontOf(label).lfUnderline, 1);
    for (int attempt = 0;; ++attempt) {
        ASSERT_TRUE(SetCursorPos(outside.x, outside.y));
        SendMessageW(label, WM_MOUSEMOVE, 0, 0);
        const bool ended = PumpUntil([&] { return !host.support.IsHovering(); }, 2000);
        if (PointerIs(outside) || attempt == kPointerAttempts) {
            ASSERT_TRUE(PointerIs(outside)) << kPointerBusy;
            EXPECT_TRUE(ended);
            EXPECT_EQ(FontOf(label).lfUnderline, 1);
            break;
        }
    }

    host.support.SetUnderlineMode(0);
    EXPECT_EQ(FontOf(label).lfUnderline, 0);
    SendMessageW(label, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(host.support.IsHovering());
    EXPECT_EQ(FontOf(label).lfUnderline, 0);
}

TEST_F(Label, AFontFromTheDialogBecomesBothFacesAndTheLabelRefitsToIt)
{
    // What a dialog moved to a monitor of another DPI sends its controls.
    Open();
    LOGFONTW larger = FontOf(label);
    larger.lfHeight = MulDiv(larger.lfHeight, 3, 2);
    HFONT font = CreateFontIndirectW(&larger);
    const RECT before = RectInParent(label);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const RECT after = RectInParent(label);
    DeleteObject(font);
    EXPECT_EQ(FontOf(label).lfHeight, larger.lfHeight);
    EXPECT_EQ(FontOf(label).lfUnderline, 0);
    EXPECT_GT(after.right - after.left, before.right - before.left) << "not refitted to the larger caption";

    SendMessageW(label, WM_MOUSEMOVE, 0, 0);
    ASSERT_TRUE(host.support.IsHovering());
    EXPECT_EQ(FontOf(label).lfHeight, larger.lfHeight) << "the underlined face kept the old size";
    EXPECT_EQ(FontOf(label).lfUnderline, 1);
}

TEST_F(Label, MouseMessagesRelayedFromTheLoopShowTheTargetAsATip)
{
    host.support.SetTarget(L"https://tip.example/");
    Open();
    RECT rect;
    GetWindowRect(label, &rect);
    const POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    HWND tip = host.support.GetToolTip();
    ASSERT_FALSE(IsWindowVisible(tip));
    for (int attempt = 0;; ++attempt) {
        ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
        // The modal loop hands every queued message to PreTranslateMessage first.
        MSG msg = {};
        msg.hwnd = label;
        msg.message = WM_MOUSEMOVE;
        msg.lParam = MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2);
        msg.time = GetTickCount();
        msg.pt = centre;
        EXPECT_FALSE(host.support.PreTranslateMessage(&msg));
        const bool shown = PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 3000);
        // The tip shows only while the pointer is over the label and nothing covers it.
        const bool undisturbed = PointerIs(centre) && WindowFromPoint(centre) == label;
        if (shown || undisturbed || attempt == kPointerAttempts) {
            ASSERT_TRUE(shown || undisturbed) << kPointerBusy;
            EXPECT_TRUE(shown);
            wchar_t text[128] = {};
            GetWindowTextW(tip, text, 128);
            EXPECT_STREQ(text, L"https://tip.example/");
            return;
        }
    }
}

TEST_F(Label, HandCursorIsShownOverTheLink)
{
    Open();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), host.support.GetHandCursor());
}

TEST_F(Label, ClickLaunchesTheTargetAndMarksVisitedWithoutTellingTheParent)
{
    host.support.SetTarget(L"https://click.example/");
    Open();
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_EQ(host.support.launches.size(), 1u);
    EXPECT_EQ(host.support.launches[0].first, L"https://click.example/");
    EXPECT_EQ(host.support.launches[0].second, SW_SHOW);
    EXPECT_TRUE(host.support.IsVisited());
    EXPECT_TRUE(host.support.errors.empty());
    for (const auto& command : host.commandsSeen)
        EXPECT_NE(command.first, static_cast<UINT>(IDC_LINK_SUPPORT));
}

TEST_F(Label, FailedLaunchReportsItsCodeAndClearsVisited)
{
    Open();
    host.support.MarkVisited(TRUE);
    SendMessageW(label, WM_MOUSEMOVE, 0, 0);
    host.support.launchResult = SE_ERR_NOASSOC;
    SendMessageW(host.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LINK_SUPPORT, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    EXPECT_FALSE(host.support.IsVisited());
    EXPECT_FALSE(host.support.IsHovering());
    EXPECT_EQ(host.support.errors, std::vector<int>{SE_ERR_NOASSOC});

    // 32 is a failure too: success starts above it.
    host.support.launchResult = 32;
    SendMessageW(host.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LINK_SUPPORT, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(host.support.errors, (std::vector<int>{SE_ERR_NOASSOC, 32}));
}

TEST_F(Label, EnterOrSpaceOnTheFocusedLinkOpensItAndEnterPressesNoButton)
{
    host.support.SetTarget(L"https://keys.example/");
    Open();
    SetFocus(label);
    ASSERT_EQ(GetFocus(), label);
    // As the dialog's loop hands keys on: the dialog manager asks the focused control first.
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
        MSG msg = {label, WM_KEYDOWN, key, 0, 0, {0, 0}};
        IsDialogMessageW(host.m_hWnd, &msg);
    }
    ASSERT_EQ(host.support.launches.size(), 2u);
    EXPECT_EQ(host.support.launches[0].first, L"https://keys.example/");
    for (const auto& command : host.commandsSeen)
        EXPECT_NE(command.first, static_cast<UINT>(IDOK)) << "Enter on the link pressed Ok";
}

}  // namespace
