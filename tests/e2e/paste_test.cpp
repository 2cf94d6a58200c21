// Paste-back into Wine's notepad: the popup summoned over notepad's edit with
// Ctrl+Shift+F, entries selected with the keys a user would press, Enter to paste,
// and notepad's text read back. No paste may add, move or change an entry.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/PopupOverNotepad.h"
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

class PasteBack : public PopupOverNotepad {};

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
