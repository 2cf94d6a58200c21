// The list view as a view of the history: a real owner-data list view whose
// rows, labels, icons and selection follow the model and the search query.
#include <gtest/gtest.h>

#include "framework/CImageList.h"
#include "shell/popup/HistoryListView.h"

#include <string>
#include <vector>

namespace {

// The popup's part: answers the list's questions about its rows.
class ListHost : public CWnd {
public:
    HistoryListView* view = nullptr;
protected:
    bool OnNotify(WPARAM, LPARAM lParam, LRESULT& result) override
    {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (view && info->hdr.code == LVN_GETDISPINFOW) {
            view->FillDisplayInfo(info->item);
            result = 0;
            return true;
        }
        return false;
    }
};

class HistoryViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.SubclassWindow(CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 200, 300, nullptr,
                                                        nullptr, GetModuleHandleW(nullptr), nullptr)));
        RECT rect = {0, 0, 200, 300};
        ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                                  rect, &host, 1005));
        list.InsertColumn(0, L"Txt", LVCFMT_LEFT, 300);
        host.view = &view;
    }
    void TearDown() override
    {
        list.DestroyWindow();
        host.DestroyWindow();
        CWnd::DeleteTempMap();
    }
    void Load(std::initializer_list<const wchar_t*> texts, int topCount = 0)
    {
        for (const wchar_t* text : texts) {
            HistoryEntry entry;
            entry.id = history.NewId();
            entry.text = std::make_shared<const std::wstring>(text);
            history.Append(std::move(entry));
        }
        history.SetTopCount(topCount);
        history.Loaded();
    }
    // What the user sees, as another program would read it.
    std::wstring Shown()
    {
        std::wstring all;
        for (int row = 0; row < list.GetItemCount(); ++row)
            all += (row ? L" " : L"") + list.GetItemText(row, 0).Str();
        return all;
    }
    std::wstring Selected()
    {
        std::wstring all;
        for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
            all += (all.empty() ? L"" : L" ") + list.GetItemText(row, 0).Str();
        return all;
    }
    void Select(int row) { list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED); }

    ListHost host;
    CListCtrl list;
    HistoryModel history;
    HistoryListView view{list, history};
};

TEST_F(HistoryViewTest, RowsLabelsAndIconsFollowTheModelAndSelectionStaysWithItsEntries)
{
    Load({L"z0", L"a", L"b"}, 1);
    EXPECT_EQ(L"z0 a b", Shown());
    EXPECT_EQ(HistoryListView::kImageTextTop, list.GetItemImage(0));
    EXPECT_EQ(HistoryListView::kImageText, list.GetItemImage(1));

    Select(2);
    history.InsertText(std::wstring(600, L'n'));  // a capture lands above the selected row
    EXPECT_EQ(4, list.GetItemCount());
    EXPECT_EQ(500, list.GetItemText(1, 0).GetLength());
    EXPECT_EQ(L"b", Selected());

    // Set top: the moved entries arrive unselected, with the top-zone icon.
    Select(3);
    history.SetTop(view.SelectedIds());
    EXPECT_EQ(L"z0 b", Shown().substr(0, 4));
    EXPECT_EQ(HistoryListView::kImageTextTop, list.GetItemImage(1));
    EXPECT_EQ(L"", Selected());

    Select(0);
    history.Remove(view.SelectedIds());
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ(L"", Selected());
}

TEST_F(HistoryViewTest, LargeSelectionsAndFarMovesKeepSelectionAndFocusOnTheirEntries)
{
    std::vector<std::wstring> texts;
    for (int i = 0; i < 40; ++i)
        texts.push_back(std::to_wstring(i));
    for (const std::wstring& text : texts)
        Load({text.c_str()});
    for (int row = 10; row < 30; ++row)
        Select(row);
    list.SetItemState(35, LVIS_FOCUSED, LVIS_FOCUSED);
    history.InsertText(L"new");
    std::wstring expected;
    for (int i = 10; i < 30; ++i)
        expected += (expected.empty() ? L"" : L" ") + std::to_wstring(i);
    EXPECT_EQ(expected, Selected());
    EXPECT_EQ(36, list.GetNextItem(-1, LVNI_FOCUSED));

    // A few entries selected, moved far up by a delete above them.
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    Select(31);
    Select(38);
    list.SetItemState(39, LVIS_FOCUSED, LVIS_FOCUSED);
    std::vector<EntryId> above;
    for (int row = 1; row <= 25; ++row)
        above.push_back(history.At(row).id);
    history.Remove(above);
    EXPECT_EQ(L"30 37", Selected());
    EXPECT_EQ(L"38", list.GetItemText(list.GetNextItem(-1, LVNI_FOCUSED), 0).Str());
}

TEST_F(HistoryViewTest, QueryMatchesEveryWordOfTheFullTextIgnoringCaseAndAccents)
{
    std::wstring longText(600, L'.');
    longText += L"needle far down";
    Load({L"Café au lait", L"CAFÉ noir", L"tea", L"İstanbul road", L"road to cafe"});
    history.InsertText(longText);
    const std::wstring all = Shown();

    view.SetQuery(L"cafe");
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ(L"Café au lait", Selected());  // the first match is selected for Enter
    view.SetQuery(L"road cafe");
    EXPECT_EQ(L"road to cafe", Shown());
    view.SetQuery(L"istanbul");
    EXPECT_EQ(L"İstanbul road", Shown());
    view.SetQuery(L"needle");
    ASSERT_EQ(1, list.GetItemCount());
    EXPECT_EQ(longText.substr(0, 500), Shown());

    // Narrowing, then widening again, gives the right rows each time.
    view.SetQuery(L"ro");
    EXPECT_EQ(2, list.GetItemCount());
    view.SetQuery(L"roa");
    EXPECT_EQ(2, list.GetItemCount());
    view.SetQuery(L"roa cafe");
    EXPECT_EQ(1, list.GetItemCount());
    view.SetQuery(L"");
    EXPECT_EQ(all, Shown());
}

TEST_F(HistoryViewTest, ChangesDuringAQueryKeepTheFilterAndTheHistoryWhole)
{
    Load({L"zone apple", L"pear", L"apple pie"}, 1);
    view.SetQuery(L"apple");
    EXPECT_EQ(L"zone apple apple pie", Shown());
    history.InsertText(L"green apple");
    history.InsertText(L"plum");
    EXPECT_EQ(L"zone apple green apple apple pie", Shown());
    EXPECT_EQ(5, history.Count());

    // Commands act on the selected visible entries only.
    list.SetItemState(-1, 0, LVIS_SELECTED);
    Select(2);
    history.Remove(view.SelectedIds());
    EXPECT_EQ(L"zone apple green apple", Shown());
    EXPECT_EQ(4, history.Count());
    view.SetQuery(L"");
    EXPECT_EQ(L"zone apple plum green apple pear", Shown());
}

TEST(ListImages, TheControlSharesItsImageListAndItsOwnerFreesIt)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR8, 2, 2));
    CListCtrl list;
    RECT rect = {0, 0, 100, 100};
    ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, rect, CWnd::FromHandle(host), 1005));
    list.SetImageList(&images, LVSIL_SMALL);
    list.DestroyWindow();
    // Still alive after the control went: only its owner destroys it.
    int cx = 0;
    int cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(images.GetSafeHandle(), &cx, &cy));
    EXPECT_EQ(16, cx);
    DestroyWindow(host);
    CWnd::DeleteTempMap();
}

}  // namespace
