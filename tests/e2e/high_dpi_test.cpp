// On a screen of 144 DPI the popup opens at its first-start size of 285 x 435 pixels with
// the search field, the list, its icons and the "<>" strip to that scale. Moved to a
// monitor of another DPI it takes the rectangle Windows suggests and lays itself out anew,
// and back again to the same pixels. Wine gives every monitor one DPI and never sends
// WM_DPICHANGED, so the driver sends it as Windows would.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DisplayScale.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/RemoteMemory.h"
#include "tests/e2e/ScreenPixels.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace e2e;

// Rectangles compared and printed by the checks below.
bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

constexpr DWORD kHighDpi = 144;

// The popup as a user sees it: its controls in its client area, the first row and its icon.
struct Layout {
    RECT window;
    SIZE client;
    RECT search;
    RECT list;
    RECT button;
    int columnWidth;
    RECT row;
    RECT icon;
};

std::optional<Layout> Measure(HWND popup)
{
    HWND list = GetDlgItem(popup, kHistoryListId);
    const RemoteListView listView(list);
    const std::optional<RECT> row = listView.ItemRect(0, LVIR_BOUNDS);
    const std::optional<RECT> icon = listView.ItemRect(0, LVIR_ICON);
    if (!row || !icon)
        return std::nullopt;
    return Layout{WindowRect(popup),
                  ClientSize(popup),
                  RectInParentClient(GetDlgItem(popup, kSearchFieldId), popup),
                  RectInParentClient(list, popup),
                  RectInParentClient(GetDlgItem(popup, kOptionsButtonId), popup),
                  listView.ColumnWidth(0),
                  *row,
                  *icon};
}

// The search field on top, the list below it and the strip along the bottom, all the full
// width; the column narrower by the scroll bar's room; icons of the given size.
void ExpectTiled(const Layout& at, int iconSize, int columnMargin)
{
    const int stripHeight = at.button.bottom - at.button.top;
    EXPECT_EQ(at.search, (RECT{0, 0, at.client.cx, at.search.bottom}));
    EXPECT_EQ(at.list, (RECT{0, at.search.bottom, at.client.cx, at.client.cy - stripHeight}));
    EXPECT_EQ(at.button, (RECT{0, at.client.cy - stripHeight + 1, at.client.cx, at.client.cy + 1}));
    EXPECT_EQ(at.columnWidth, at.client.cx - columnMargin);
    EXPECT_EQ(at.icon.right - at.icon.left, iconSize);
    EXPECT_EQ(at.icon.bottom - at.icon.top, iconSize);
}

// The height of a line of the popup's font at `dpi`, as the driver's own GDI measures it.
int LineHeight(DWORD dpi)
{
    HFONT font = CreateFontW(-MulDiv(kPopupFontPoints, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                             FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, kPopupFontFace);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
    return metrics.tmHeight;
}

// WM_DPICHANGED as Windows sends it: the suggested rectangle lies in the popup's process.
bool SendDpiChanged(HWND popup, UINT dpi, const RECT& suggested)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(popup, &processId);
    RemoteMemory remote(processId, sizeof(RECT));
    DWORD_PTR answer = 0;
    return remote && remote.Write(0, &suggested, sizeof(suggested)) &&
           SendMessageTimeoutW(popup, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote.Address()),
                               SMTO_ABORTIFHUNG, 10000, &answer);
}

TEST(HighDpi, ThePopupOpensAt285By435ToScaleAndFollowsItsMonitorsDpi)
{
    ASSERT_TRUE(NoWindowTitledLikeThePopup());
    TempFolder folder;
    ProcessUnderTest quillary(folder.Path());
    HWND popup = nullptr;
    {
        DisplayScale scale(kHighDpi);
        ASSERT_TRUE(scale.Applied());
        ASSERT_TRUE(quillary.Start());
        popup = quillary.WaitForPopup();
        ASSERT_NE(popup, nullptr);
    }  // Quillary has read its DPI: the programs after it get theirs back.
    HWND list = GetDlgItem(popup, kHistoryListId);
    SendMessageW(popup, WM_COMMAND, kClearAllCommand, 0);
    int copied = 0;
    for (const wchar_t* text : {L"Dear Anna, thank you", L"https://quillary.example.org/", L"C:\\Tools\\Quillary"}) {
        ASSERT_TRUE(PutTextOnClipboard(text));
        ++copied;
        ASSERT_TRUE(WaitUntil([&] { return RemoteListView(list).ItemCount() == copied; }));
    }

    const std::optional<Layout> first = Measure(popup);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->window.right - first->window.left, 285);
    EXPECT_EQ(first->window.bottom - first->window.top, 435);
    {
        SCOPED_TRACE("at 144 DPI");
        ExpectTiled(*first, 24, 30);
    }
    const int line = LineHeight(kHighDpi);
    EXPECT_GE(first->search.bottom - first->search.top, line + 4) << "the search field holds no line of its text";
    EXPECT_GE(first->button.bottom - first->button.top, line) << "the strip is lower than its caption";

    CreateDirectoryW(L"dpi_screenshots", nullptr);
    RECT band = first->list;
    MapWindowPoints(popup, nullptr, reinterpret_cast<POINT*>(&band), 2);
    WaitUntil([&] { return CountDarkPixels(band) > 100; });
    EXPECT_TRUE(SaveScreenBitmap(first->window, L"dpi_screenshots\\popup_144dpi.bmp"));

    // To a monitor of 96 DPI, with the rectangle that Windows would suggest.
    const RECT at96 = {first->window.left, first->window.top, first->window.left + 190, first->window.top + 290};
    ASSERT_TRUE(SendDpiChanged(popup, 96, at96));
    const std::optional<Layout> second = Measure(popup);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->window, at96);
    {
        SCOPED_TRACE("moved to 96 DPI");
        ExpectTiled(*second, 16, 20);
    }
    EXPECT_NEAR(second->search.bottom - second->search.top, (first->search.bottom - first->search.top) * 2 / 3, 1);
    EXPECT_NEAR(second->button.bottom - second->button.top, (first->button.bottom - first->button.top) * 2 / 3, 1);
    EXPECT_LE((second->row.bottom - second->row.top) * 5, (first->row.bottom - first->row.top) * 4)
        << "the rows kept the larger font";

    // And back: the same pixels as at the start.
    ASSERT_TRUE(SendDpiChanged(popup, kHighDpi, first->window));
    const std::optional<Layout> third = Measure(popup);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->window, first->window);
    EXPECT_EQ(third->search, first->search);
    EXPECT_EQ(third->list, first->list);
    EXPECT_EQ(third->button, first->button);
    EXPECT_EQ(third->row, first->row);
    EXPECT_EQ(third->icon, first->icon);
}

}  // namespace
