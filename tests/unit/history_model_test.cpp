// The history's rules, on the model alone: no window involved.
#include <gtest/gtest.h>

#include "history/model/HistoryModel.h"

#include <string>
#include <vector>

namespace {

class HistoryModelTest : public testing::Test {
protected:
    HistoryModelTest()
    {
        history.AddListener([this](const HistoryChange& change) { changes.push_back(change); });
    }
    // Entries as a load places them, then the stored top count.
    void Load(std::initializer_list<const wchar_t*> texts, int topCount = 0)
    {
        for (const wchar_t* text : texts)
            Append(text);
        history.SetTopCount(topCount);
        history.Loaded();
        changes.clear();
    }
    void Append(const std::wstring& text)
    {
        HistoryEntry entry;
        entry.id = history.NewId();
        entry.text = std::make_shared<const std::wstring>(text);
        history.Append(std::move(entry));
    }
    void LoadNumbers(int count, int topCount)
    {
        for (int i = 0; i < count; ++i)
            Append(std::to_wstring(i));
        history.SetTopCount(topCount);
        history.Loaded();
    }
    std::wstring TextAt(int row) const { return *history.At(row).text; }
    std::wstring Texts() const
    {
        std::wstring all;
        for (int row = 0; row < history.Count(); ++row)
            all += (row ? L" " : L"") + TextAt(row);
        return all;
    }
    EntryId IdAt(int row) const { return history.At(row).id; }

    EntryId nextId = 100;
    HistoryModel history{[this] { return nextId++; }};
    std::vector<HistoryChange> changes;
};

TEST_F(HistoryModelTest, SetTopKeepsTheMovedEntriesInOrderBelowTheZone)
{
    Load({L"t0", L"t1", L"t2", L"t3", L"t4"});
    history.SetTop({IdAt(3), IdAt(1)});
    EXPECT_EQ(L"t1 t3 t0 t2 t4", Texts());
    EXPECT_EQ(2, history.TopCount());
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ((std::vector<EntryId>{IdAt(0), IdAt(1)}), changes[0].ids);

    // A second move joins the zone below the entries already there; entries
    // already inside it stay where they are and announce nothing.
    history.SetTop({IdAt(4), IdAt(0)});
    EXPECT_EQ(L"t1 t3 t4 t0 t2", Texts());
    EXPECT_EQ(3, history.TopCount());
    history.SetTop({IdAt(0), IdAt(1)});
    EXPECT_EQ(L"t1 t3 t4 t0 t2", Texts());
    EXPECT_EQ(2u, changes.size());
}

TEST_F(HistoryModelTest, NewEntriesGoDirectlyBelowTheZoneAndRepeatsAreNewEntries)
{
    Load({L"top0", L"top1", L"old"}, 2);
    history.InsertText(L"new");
    history.InsertText(L"new");
    EXPECT_EQ(L"top0 top1 new new old", Texts());
    EXPECT_NE(IdAt(2), IdAt(3));
    ASSERT_EQ(2u, changes.size());
    EXPECT_EQ(HistoryChange::Kind::Insert, changes[1].kind);
    EXPECT_EQ(&history.At(2), changes[1].entry);

    // A replayed entry keeps its id; an id in use is refused.
    HistoryEntry again;
    again.id = IdAt(0);
    again.text = std::make_shared<const std::wstring>(L"x");
    EXPECT_FALSE(history.Insert(again));
    EXPECT_EQ(5, history.Count());
}

TEST_F(HistoryModelTest, DeleteKeepsTheZoneCountRightAndIgnoresUnknownIds)
{
    Load({L"z0", L"z1", L"r2", L"r3", L"r4", L"r5"}, 2);
    history.Remove({IdAt(1), IdAt(3), IdAt(4), 999999});
    EXPECT_EQ(L"z0 r2 r5", Texts());
    EXPECT_EQ(1, history.TopCount());
    history.Remove({});
    history.Remove({424242});
    EXPECT_EQ(1u, changes.size());
}

TEST_F(HistoryModelTest, CapDropsRowAtTheLimitEvenInsideTheZone)
{
    LoadNumbers(HistoryModel::kDefaultMaxEntries, HistoryModel::kDefaultMaxEntries);
    history.TrimForInsert();
    EXPECT_EQ(999, history.Count());
    EXPECT_EQ(999, history.TopCount());
    history.InsertText(L"newest");
    EXPECT_EQ(L"newest", TextAt(999));
    EXPECT_EQ(L"998", TextAt(998));
}

TEST_F(HistoryModelTest, CapBelowTheZoneAndAChosenSize)
{
    LoadNumbers(HistoryModel::kDefaultMaxEntries, 1);
    history.TrimForInsert();
    history.InsertText(L"newest");
    EXPECT_EQ(1000, history.Count());
    EXPECT_EQ(L"newest", TextAt(1));
    EXPECT_EQ(L"998", TextAt(999));

    // A smaller size: the cap takes the row at the new limit, and trimming
    // to a size takes everything below it.
    history.SetMaxEntries(10);
    history.TrimTo(10);
    EXPECT_EQ(10, history.Count());
    history.TrimForInsert();
    EXPECT_EQ(9, history.Count());
    EXPECT_EQ(1, history.TopCount());
}

TEST_F(HistoryModelTest, MoveBelowTopBringsAnEntryUpButNeverOutOfTheZone)
{
    Load({L"z0", L"a", L"b", L"c"}, 1);
    history.MoveBelowTop(IdAt(3));
    EXPECT_EQ(L"z0 c a b", Texts());
    history.MoveBelowTop(IdAt(0));
    history.MoveBelowTop(IdAt(1), 77);
    EXPECT_EQ(L"z0 c a b", Texts());
    // The entry already in place was copied again: its new capture time is news for the journal.
    ASSERT_EQ(2u, changes.size());
    EXPECT_EQ(77u, history.At(1).captured);
}

TEST_F(HistoryModelTest, ClearAndStoredTopCounts)
{
    history.Clear();
    EXPECT_EQ(0, history.Count());
    Load({L"a"}, 5);
    EXPECT_EQ(1, history.TopCount());
    history.SetTopCount(-3);
    history.Loaded();
    EXPECT_EQ(0, history.TopCount());
    history.SetTopCount(1);
    history.Clear();
    EXPECT_EQ(0, history.TopCount());
    EXPECT_EQ(0, history.Count());
}

TEST_F(HistoryModelTest, PicturesAreFreedOnceWhenTheirLastHolderGoes)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 3);
    ReleaseDC(nullptr, screen);
    const EntryId id = history.InsertPicture(UniqueBitmap(bitmap), L"Picture 4 x 3");
    HistoryEntry held = history.At(history.RowOf(id));  // as a save in progress holds it
    history.Clear();
    EXPECT_NE(0u, GetObjectType(bitmap));
    held = HistoryEntry();
    EXPECT_EQ(0u, GetObjectType(bitmap));
}

// Another PC's order: entries joining from it land where the order names them, in its order or not;
// entries it does not name follow; the same order again changes nothing.
TEST_F(HistoryModelTest, ArrangePutsJoiningEntriesWhereTheOrderNamesThem)
{
    Load({L"a", L"b", L"c"});
    const EntryId a = IdAt(0), b = IdAt(1), c = IdAt(2);
    std::vector<HistoryEntry> added(2);
    for (size_t i = 0; i < added.size(); ++i) {
        added[i].id = history.NewId();
        added[i].text = std::make_shared<const std::wstring>(i == 0 ? L"x" : L"y");
    }
    const EntryId x = added[0].id, y = added[1].id;
    EXPECT_TRUE(history.Arrange({y, c, x, a}, 1, added));
    EXPECT_EQ(L"y c x a b", Texts());
    EXPECT_EQ(1, history.TopCount());
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(HistoryChange::Kind::Reset, changes[0].kind);
    EXPECT_FALSE(history.Arrange({y, c, x, a, b}, 1)) << "already so";
    EXPECT_NE(0u, history.At(0).captured) << "a joining entry without a time is captured now";
}

TEST(HistoryEntryLabel, LongTextsShowTheirFirst500CharactersWhole)
{
    HistoryEntry entry;
    std::wstring text(501, L'x');
    entry.text = std::make_shared<const std::wstring>(text);
    EXPECT_EQ(std::wstring(500, L'x'), entry.Label());
    std::wstring emoji(499, L'e');
    emoji += L"\xD83D\xDE00tail";
    entry.text = std::make_shared<const std::wstring>(emoji);
    EXPECT_EQ(std::wstring(499, L'e'), entry.Label());

    const wchar_t withNul[] = L"abc\0def";
    EXPECT_EQ(L"abc", TextUpToNul(withNul, 7));
    EXPECT_EQ(L"ab", TextUpToNul(L"abcdef", 2));
}

}  // namespace
