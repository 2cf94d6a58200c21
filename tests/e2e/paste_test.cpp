// Paste-back into Wine's notepad: the popup summoned over notepad's edit with
// Ctrl+Shift+F, entries selected with the keys a user would press, Enter to paste,
// and notepad's text read back. No paste may add, move or change an entry.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/Notepad.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"
#include "tests/e2e/XClipboard.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

// Long enough for a late second paste or a late capture of the paste to have shown up.
constexpr std::chrono::milliseconds kSettleTime{1000};

class PasteBack : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(NoWindowTitledLikeThePopup()); }

    void TearDown() override
    {
        // A Windows copy takes the selection back from any xclip left serving it, which then ends.
        PutTextOnClipboard(L"end of test");
    }

    // Starts quillary (from files the test may have prepared), hides its popup, then
    // starts notepad, which ends up in the foreground with its edit focused.
    void Start()
    {
        ASSERT_TRUE(m_quillary.Start());
        m_popup = m_quillary.WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
        ASSERT_NE(m_list, nullptr);
        PostMessageW(m_popup, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
        ASSERT_TRUE(m_notepad.Start());
    }

    // Copies the texts in turn from a Windows program; the last one ends up on row 0.
    void Copy(const std::vector<std::wstring>& texts)
    {
        for (const std::wstring& text : texts) {
            const int before = List().ItemCount();
            ASSERT_TRUE(PutTextOnClipboard(text));
            ASSERT_TRUE(WaitUntil([&] { return List().ItemCount() == before + 1; }))
                << "the copy did not become an entry";
        }
    }

    RemoteListView List() const { return RemoteListView(m_list); }

    std::vector<ListItem> Rows() const
    {
        std::vector<ListItem> rows;
        const int count = List().ItemCount();
        for (int row = 0; row < count; ++row)
            rows.push_back(List().Item(row).value_or(ListItem{L"(unreadable)", -1, 0}));
        return rows;
    }

    std::vector<int> SelectedRows() const
    {
        std::vector<int> selected;
        const std::vector<ListItem> rows = Rows();
        for (size_t row = 0; row < rows.size(); ++row) {
            if (rows[row].state & LVIS_SELECTED)
                selected.push_back(static_cast<int>(row));
        }
        return selected;
    }

    // Notepad in front with its edit focused, then Ctrl+Shift+F; true once the popup is the
    // foreground window with its list focused, so keys pressed now reach the list.
    ::testing::AssertionResult Summon()
    {
        if (!m_notepad.Activate())
            return ::testing::AssertionFailure() << "notepad did not come to the foreground: " << DescribeForeground();
        if (auto pressed = PressKeys("ctrl+shift+f"); !pressed)
            return pressed;
        if (!WaitUntil([&] { return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup
                                    && FocusInThreadOf(m_popup) == m_list; }))
            return ::testing::AssertionFailure() << "Ctrl+Shift+F did not bring up the popup: " << DescribeForeground();
        return ::testing::AssertionSuccess();
    }

    // Presses the keys in the list and waits until exactly the given rows are selected.
    ::testing::AssertionResult Select(const std::string& keys, const std::vector<int>& rows)
    {
        if (auto pressed = PressKeys(keys); !pressed)
            return pressed;
        if (!WaitUntil([&] { return SelectedRows() == rows; }))
            return ::testing::AssertionFailure() << keys << " selected rows " << testing::PrintToString(SelectedRows())
                                                 << ", not " << testing::PrintToString(rows);
        return ::testing::AssertionSuccess();
    }

    // Enter on the list: the popup hides, notepad gets exactly the expected text in one
    // paste and the focus back, and the list stays as it was.
    void ExpectEnterPastes(const std::wstring& expected)
    {
        const std::vector<ListItem> before = Rows();
        ASSERT_TRUE(m_notepad.Text().empty());
        ASSERT_TRUE(PressKeys("Return"));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); })) << "Enter did not hide the popup";
        EXPECT_TRUE(WaitUntil([&] { return m_notepad.Text() == expected; }))
            << "notepad holds " << testing::PrintToString(m_notepad.Text()) << ", expected "
            << testing::PrintToString(expected);
        const int count = static_cast<int>(before.size());
        const auto changed = [&] { return m_notepad.Text() != expected || List().ItemCount() != count; };
        EXPECT_FALSE(WaitUntil(changed, kSettleTime))
            << "afterwards notepad holds " << testing::PrintToString(m_notepad.Text()) << " and the list "
            << List().ItemCount() << " entries";
        EXPECT_FALSE(IsWindowVisible(m_popup));
        EXPECT_TRUE(m_notepad.HasKeyboardFocus()) << DescribeForeground();
        ExpectListUnchanged(before);
    }

    // Same rows, labels and images; the selection may differ.
    void ExpectListUnchanged(const std::vector<ListItem>& before) const
    {
        const std::vector<ListItem> after = Rows();
        ASSERT_EQ(after.size(), before.size()) << "the paste changed the number of entries";
        for (size_t row = 0; row < after.size(); ++row) {
            EXPECT_EQ(after[row].text, before[row].text) << "row " << row;
            EXPECT_EQ(after[row].image, before[row].image) << "row " << row;
        }
    }

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    Notepad m_notepad;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

TEST_F(PasteBack, EnterPastesExactlyTheFullTextOfTheOneSelectedEntryIntoNotepad)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"first entry", L"second entry,\r\nwith a second line", L"third entry"}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home Down", {1}));
    ExpectEnterPastes(L"second entry,\r\nwith a second line");
}

TEST_F(PasteBack, TwoSelectedEntriesPasteJoinedInListOrderWhateverWayTheSelectionWasMade)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"bottom", L"middle", L"top"}));
    ASSERT_TRUE(Summon());
    // Selected from the bottom upwards; the paste still runs top to bottom.
    ASSERT_TRUE(Select("End shift+Up", {1, 2}));
    ExpectEnterPastes(L"middlebottom");
}

TEST_F(PasteBack, CompoundPasteWrapsEachOfThreeEntriesInTheBeforeAndAfterStrings)
{
    StoredSettings settings;
    settings.before = "[";
    settings.after = "]";
    settings.compoundPaste = 1;
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), settings, {"a", "b", "c"}));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(List().ItemCount(), 3) << "the prepared history did not load";
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home shift+End", {0, 1, 2}));
    ExpectEnterPastes(L"[a][b][c]");
}

TEST_F(PasteBack, TextOutsideTheAnsiCodePageCopiedInAnXProgramShowsAsItsLabelAndPastesExactly)
{
    const std::wstring text = L"gr\u00FC\u00DFe \u20AC \u65E5\u672C \U0001F600";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(CopyInXProgram(text));
    ASSERT_TRUE(WaitUntil([&] { return List().ItemCount() == 1; })) << "the copy did not become an entry";
    const std::optional<ListItem> item = List().Item(0);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->text, text);
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));
    ExpectEnterPastes(text);
}

TEST_F(PasteBack, TextLongerThanFiveHundredCharactersShowsItsFirstFiveHundredAndPastesWhole)
{
    // No two positions alike, so a cut anywhere shows; a line break past the label too.
    std::wstring text;
    for (int i = 0; text.size() < 560; ++i)
        text += L"<" + std::to_wstring(i) + L">";
    text += L"\r\n";
    for (int i = 0; text.size() < 700; ++i)
        text += L"(" + std::to_wstring(i) + L")";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({text}));
    const std::optional<ListItem> item = List().Item(0);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->text, text.substr(0, 500));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));
    ExpectEnterPastes(text);
}

TEST_F(PasteBack, SecondEnterAfterAPasteOnlyHidesThePopup)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"pasted once"}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));
    ASSERT_NO_FATAL_FAILURE(ExpectEnterPastes(L"pasted once"));

    // A second start shows the popup again without a summons, so no new paste target is taken.
    TempFolder secondFolder;
    ProcessUnderTest second(secondFolder.Path());
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit().has_value()) << "the second copy keeps running";
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup
                                       && FocusInThreadOf(m_popup) == m_list; }))
        << "the second start did not bring up the popup: " << DescribeForeground();
    // Still selected, so that Enter would paste it if there were a target.
    ASSERT_EQ(SelectedRows(), std::vector<int>{0});
    const std::vector<ListItem> before = Rows();

    ASSERT_TRUE(PressKeys("Return"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); })) << "Enter did not hide the popup";
    EXPECT_FALSE(WaitUntil([&] { return m_notepad.Text() != L"pasted once"; }, kSettleTime))
        << "notepad now holds " << testing::PrintToString(m_notepad.Text());
    ExpectListUnchanged(before);
}

}  // namespace
