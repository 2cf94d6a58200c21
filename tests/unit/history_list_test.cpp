// The history list's rules against a real list view.
#include <gtest/gtest.h>

#include "history/HistoryList.h"

#include <string>

namespace {

class HistoryListTest : public testing::Test {
protected:
    void SetUp() override
    {
        baseline = HistoryList::LiveTextBlocks();
        host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 200, 300, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, host);
        CWnd* hostObject = CWnd::FromHandle(host);
        RECT rect = {0, 0, 200, 300};
        ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SHOWSELALWAYS, rect,
                                  hostObject, 1005));
        list.InsertColumn(0, L"Txt", LVCFMT_LEFT, 300);
    }

    void TearDown() override
    {
        history.ClearHistory();
        // Every block made by a test was freed, and none twice.
        EXPECT_EQ(baseline, HistoryList::LiveTextBlocks());
        list.DestroyWindow();
        DestroyWindow(host);
        CWnd::DeleteTempMap();
    }

    void Add(const std::wstring& text) { ASSERT_TRUE(history.InsertTextEntry(text.c_str(), text.size())); }
    // Entries appended at the end, as a load would place them.
    void Append(const std::wstring& text)
    {
        wchar_t* block = HistoryList::NewTextBlock(text.c_str(), text.size());
        ASSERT_GE(history.InsertEntry(history.Count(), text.c_str(), HistoryList::kImageText,
                                      reinterpret_cast<LPARAM>(block)),
                  0);
    }
    std::wstring TextAt(int row) { return reinterpret_cast<const wchar_t*>(history.DataAt(row)); }
    std::wstring LabelAt(int row) { return list.GetItemText(row, 0).Str(); }
    void Select(int row) { list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED); }
    bool IsSelected(int row) { return (list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0; }
    HBITMAP NewBitmap()
    {
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 3);
        ReleaseDC(nullptr, screen);
        return bitmap;
    }

    long baseline = 0;
    HWND host = nullptr;
    CListCtrl list;
    int topCount = 0;
    HistoryList history{list, topCount};
};

TEST_F(HistoryListTest, SetTopKeepsTheMovedEntriesInOrderBelowTheZone)
{
    for (const wchar_t* text : {L"t0", L"t1", L"t2", L"t3", L"t4"})
        Append(text);
    Select(1);
    Select(3);
    history.SetSelectedToTop();

    ASSERT_EQ(5, history.Count());
    const wchar_t* expected[] = {L"t1", L"t3", L"t0", L"t2", L"t4"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(expected[row], TextAt(row)) << row;
        EXPECT_EQ(expected[row], LabelAt(row)) << row;
        EXPECT_FALSE(IsSelected(row)) << row;
    }
    EXPECT_EQ(2, topCount);
    EXPECT_EQ(HistoryList::kImageTextTop, list.GetItemImage(0));
    EXPECT_EQ(HistoryList::kImageTextTop, list.GetItemImage(1));
    EXPECT_EQ(HistoryList::kImageText, list.GetItemImage(2));

    // A second move joins the zone below the entries already there.
    Select(4);
    history.SetSelectedToTop();
    EXPECT_EQ(3, topCount);
    EXPECT_EQ(L"t4", TextAt(2));
    EXPECT_EQ(L"t0", TextAt(3));
}

TEST_F(HistoryListTest, SetTopInsideTheZoneChangesNothing)
{
    for (const wchar_t* text : {L"a", L"b", L"c"})
        Append(text);
    Select(0);
    Select(1);
    history.SetSelectedToTop();
    ASSERT_EQ(2, topCount);

    Select(0);
    history.SetSelectedToTop();
    EXPECT_EQ(2, topCount);
    EXPECT_EQ(L"a", TextAt(0));
    EXPECT_EQ(L"b", TextAt(1));
    EXPECT_EQ(L"c", TextAt(2));
    EXPECT_TRUE(IsSelected(0));  // it stays selected
}

TEST_F(HistoryListTest, SetTopOnABitmapEntryGivesTheBitmapTopImage)
{
    Append(L"text");
    HBITMAP bitmap = NewBitmap();
    ASSERT_GE(history.InsertEntry(1, L"Bitmap: 4x3 32bits", HistoryList::kImageBitmap, reinterpret_cast<LPARAM>(bitmap)), 0);
    Select(1);
    history.SetSelectedToTop();
    EXPECT_EQ(HistoryList::kImageBitmapTop, list.GetItemImage(0));
    EXPECT_EQ(reinterpret_cast<LPARAM>(bitmap), history.DataAt(0));
    EXPECT_EQ(L"Bitmap: 4x3 32bits", LabelAt(0));

    history.ClearHistory();
    // The list owned the bitmap and deleted it.
    EXPECT_EQ(0u, GetObjectType(bitmap));
}

TEST_F(HistoryListTest, DeletingSelectedRowsRemovesAllAndKeepsTheZoneCountRight)
{
    for (const wchar_t* text : {L"z0", L"z1", L"r2", L"r3", L"r4", L"r5"})
        Append(text);
    topCount = 2;
    Select(1);  // inside the zone
    Select(3);  // adjacent rows below it
    Select(4);
    history.DeleteSelectedEntries();

    ASSERT_EQ(3, history.Count());
    EXPECT_EQ(L"z0", TextAt(0));
    EXPECT_EQ(L"r2", TextAt(1));
    EXPECT_EQ(L"r5", TextAt(2));
    EXPECT_EQ(1, topCount);

    Select(2);
    history.DeleteSelectedEntries();
    EXPECT_EQ(1, topCount);
    EXPECT_EQ(2, history.Count());

    // Nothing selected: nothing happens.
    history.DeleteSelectedEntries();
    EXPECT_EQ(2, history.Count());
}

TEST_F(HistoryListTest, NewEntriesGoDirectlyBelowTheZone)
{
    for (const wchar_t* text : {L"top0", L"top1", L"old"})
        Append(text);
    topCount = 2;
    Add(L"new");
    EXPECT_EQ(L"top0", TextAt(0));
    EXPECT_EQ(L"top1", TextAt(1));
    EXPECT_EQ(L"new", TextAt(2));
    EXPECT_EQ(L"old", TextAt(3));
    EXPECT_EQ(HistoryList::kImageText, list.GetItemImage(2));

    // The same text twice is two entries.
    Add(L"new");
    EXPECT_EQ(5, history.Count());
}

TEST_F(HistoryListTest, CapWithEveryEntryInsideTheZone)
{
    for (int i = 0; i < HistoryList::kMaxEntries; ++i)
        Append(std::to_wstring(i));
    topCount = HistoryList::kMaxEntries;
    history.TrimHistory();
    EXPECT_EQ(HistoryList::kMaxEntries - 1, history.Count());
    EXPECT_EQ(HistoryList::kMaxEntries - 1, topCount);
    Add(L"newest");
    EXPECT_EQ(L"newest", TextAt(999));
    EXPECT_EQ(L"998", TextAt(998));
}

TEST_F(HistoryListTest, CapBelowTheZoneDropsTheLastRowOnly)
{
    for (int i = 0; i < HistoryList::kMaxEntries; ++i)
        Append(std::to_wstring(i));
    topCount = 1;
    history.TrimHistory();
    Add(L"newest");
    EXPECT_EQ(HistoryList::kMaxEntries, history.Count());
    EXPECT_EQ(1, topCount);
    EXPECT_EQ(L"newest", TextAt(1));
    EXPECT_EQ(L"998", TextAt(999));

    // Under the cap, trimming does nothing.
    Select(5);
    history.DeleteSelectedEntries();
    history.TrimHistory();
    EXPECT_EQ(HistoryList::kMaxEntries - 1, history.Count());
}

TEST_F(HistoryListTest, ClearAllEmptiesEverythingIncludingAnEmptyList)
{
    history.ClearHistory();
    EXPECT_EQ(0, history.Count());
    EXPECT_EQ(0, topCount);

    Append(L"a");
    Append(L"b");
    topCount = 1;
    history.ClearHistory();
    EXPECT_EQ(0, history.Count());
    EXPECT_EQ(0, topCount);
}

TEST_F(HistoryListTest, LongTextKeepsItsWholeDataBehindAShortLabel)
{
    std::wstring text(501, L'x');
    text[500] = L'y';
    Add(text);
    EXPECT_EQ(text, TextAt(0));
    EXPECT_EQ(std::wstring(500, L'x'), LabelAt(0));

    // A label never ends in the middle of a surrogate pair.
    std::wstring emoji(499, L'e');
    emoji += L"\xD83D\xDE00tail";
    Add(emoji);
    EXPECT_EQ(std::wstring(499, L'e'), LabelAt(0));
    EXPECT_EQ(emoji, TextAt(0));

    // The text ends at its first NUL and never past the length given.
    const wchar_t withNul[] = L"abc\0def";
    ASSERT_TRUE(history.InsertTextEntry(withNul, 7));
    EXPECT_EQ(L"abc", TextAt(0));
    ASSERT_TRUE(history.InsertTextEntry(L"abcdef", 2));
    EXPECT_EQ(L"ab", TextAt(0));
}

TEST_F(HistoryListTest, FreeingAllFreesEveryBlockAndLeavesTheItemsForTheCaller)
{
    Append(L"a");
    Append(L"b");
    history.InsertEntry(2, L"Bitmap", HistoryList::kImageBitmap, reinterpret_cast<LPARAM>(NewBitmap()));
    const LPARAM bitmap = history.DataAt(2);
    long before = HistoryList::LiveTextBlocks();
    history.FreeAllEntryData();
    EXPECT_EQ(before - 2, HistoryList::LiveTextBlocks());
    EXPECT_EQ(0, GetObjectType(reinterpret_cast<HGDIOBJ>(bitmap)));
    EXPECT_EQ(3, history.Count());
    // The items hold freed data now; removing them is the caller's next step.
    list.DeleteAllItems();
}

// Records what the list is told about drawing, below the framework's own binding.
LRESULT CALLBACK RecordRedraw(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data)
{
    if (message == WM_SETREDRAW)
        reinterpret_cast<std::wstring*>(data)->push_back(wParam ? L'T' : L'F');
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(HistoryListTest, DrawingHoldsNestAndTheListDrawsAgainOnlyAfterTheLast)
{
    std::wstring told;
    ASSERT_TRUE(SetWindowSubclass(list.m_hWnd, RecordRedraw, 1, reinterpret_cast<DWORD_PTR>(&told)));
    history.HoldDrawing();
    {
        // Commands hold drawing themselves, inside the hold of a hidden popup.
        Append(L"a");
        Select(0);
        history.SetSelectedToTop();
        history.DeleteSelectedEntries();
    }
    EXPECT_EQ(L"F", told);
    history.ResumeDrawing();
    EXPECT_EQ(L"FT", told);
    // A resume without a hold changes nothing.
    history.ResumeDrawing();
    {
        HistoryList::RedrawHold hold(history);
        Append(L"b");
    }
    EXPECT_EQ(L"FTFT", told);
    RemoveWindowSubclass(list.m_hWnd, RecordRedraw, 1);
}

TEST_F(HistoryListTest, StoredTopCountIsBroughtWithinTheEntries)
{
    Append(L"a");
    topCount = 5;
    history.ClampTopCount();
    EXPECT_EQ(1, topCount);
    topCount = -3;
    history.ClampTopCount();
    EXPECT_EQ(0, topCount);
}

}  // namespace
