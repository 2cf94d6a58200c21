// The Option dialog's texts fit their controls at the font the system gives
// the template's font, measured with that font as the controls draw it.
#include <gtest/gtest.h>

#include "shell/OptionDlg.h"

#include <string>

namespace {

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

struct Measured {
    HWND control;
    std::wstring text;
    SIZE extent;
    SIZE room;
};

// Each static text and button with its text's extent in the dialog's font and
// the room its control leaves for it.
std::vector<Measured> MeasureTexts(HWND dialog)
{
    std::vector<Measured> found;
    HDC dc = GetDC(dialog);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring type = ClassOf(child);
        const std::wstring text = TextOf(child);
        if (text.empty() || (lstrcmpiW(type.c_str(), L"Static") != 0 && lstrcmpiW(type.c_str(), L"Button") != 0))
            continue;
        Measured item = {child, text, {}, {}};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &item.extent);
        RECT client;
        GetClientRect(child, &client);
        item.room = {client.right, client.bottom};
        const LONG_PTR kind = GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
        if (lstrcmpiW(type.c_str(), L"Button") == 0) {
            if (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX)
                item.room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + 2 * GetSystemMetrics(SM_CXEDGE);
            else
                item.room.cx -= 4 * GetSystemMetrics(SM_CXEDGE);  // a push button's frame and focus margin
        }
        found.push_back(item);
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return found;
}

TEST(OptionLayout, EveryTextFitsItsControlAtTheSubstitutedFont)
{
    COptionDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const std::vector<Measured> texts = MeasureTexts(dialog.m_hWnd);
    // Ok, Cancel, the four check boxes and six labels.
    EXPECT_EQ(texts.size(), 12u);
    for (const Measured& item : texts) {
        EXPECT_LE(item.extent.cx, item.room.cx) << "\"" << std::string(item.text.begin(), item.text.end())
                                                << "\" is cut off";
        EXPECT_LE(item.extent.cy, item.room.cy) << "\"" << std::string(item.text.begin(), item.text.end())
                                                << "\" is cut off at the bottom";
    }
}

TEST(OptionLayout, NoControlOverlapsAnotherOrLeavesTheDialog)
{
    COptionDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    RECT client;
    GetClientRect(dialog.m_hWnd, &client);
    std::vector<std::pair<HWND, RECT>> placed;
    for (HWND child = GetWindow(dialog.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        RECT inside;
        IntersectRect(&inside, &rect, &client);
        EXPECT_TRUE(EqualRect(&inside, &rect)) << "control " << GetDlgCtrlID(child) << " leaves the dialog";
        for (const auto& other : placed) {
            RECT overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &rect, &other.second))
                << "controls " << GetDlgCtrlID(child) << " and " << GetDlgCtrlID(other.first) << " overlap";
        }
        placed.emplace_back(child, rect);
    }
}

}  // namespace
