// Finding an entry by typing: the popup summoned over notepad, letters typed as a user
// types them, the list (control 1005) read back, and what Enter or Ctrl+3 pastes checked
// in notepad.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/Wait.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

class Search : public PopupOverNotepad {};

TEST_F(Search, TypingShowsTheEntriesHoldingEveryWordWhateverTheirCaseAndAccents)
{
    const std::wstring distant = std::wstring(600, L'.') + L" needle";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"Café au lait", L"CAFÉ noir", L"tea", L"road to cafe", L"İstanbul", distant}));
    ASSERT_TRUE(Summon());
    const std::wstring farLabel = distant.substr(0, 500);

    EXPECT_TRUE(Shows("c a f e", {L"road to cafe", L"CAFÉ noir", L"Café au lait"}));
    EXPECT_EQ(SelectedRows(), std::vector<int>{0}) << "the first match is selected for Enter";
    EXPECT_TRUE(Shows("space r o a d", {L"road to cafe"}));
    // Backspace edits the query: the words are found in any order.
    EXPECT_TRUE(Shows("BackSpace BackSpace BackSpace BackSpace BackSpace", {L"road to cafe", L"CAFÉ noir", L"Café au lait"}));
    EXPECT_TRUE(Shows("Escape i s t a n b u l", {L"İstanbul"}));
    // Past the 500 characters the list shows, the full text is searched.
    EXPECT_TRUE(Shows("Escape n e e d l e", {farLabel}));
    // Esc clears the query, and with none it hides the popup.
    EXPECT_TRUE(Shows("Escape", {farLabel, L"İstanbul", L"road to cafe", L"tea", L"CAFÉ noir", L"Café au lait"}));
    EXPECT_TRUE(IsWindowVisible(m_popup));
    ASSERT_TRUE(PressKeys("Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
}

TEST_F(Search, EnterPastesTheFirstMatchAndANewSummonsStartsWithTheWholeList)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"alpha one", L"beta", L"alpha two", L"gamma"}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Shows("a l p h a", {L"alpha two", L"alpha one"}));
    ExpectEnterPastes(L"alpha two");

    ASSERT_TRUE(m_notepad.Clear());
    ASSERT_TRUE(Summon());
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"gamma", L"alpha two", L"beta", L"alpha one"}));
    // Ctrl+3: the third row shown, alone, whatever is selected.
    ExpectKeysPaste("ctrl+3", L"beta");
}

TEST_F(Search, ACopyDuringAQueryIsShownWhenItMatchesAndKeptEitherWay)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"zeta old", L"other"}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Shows("z e t a", {L"zeta old"}));
    ASSERT_TRUE(PutTextOnClipboard(L"zeta new"));
    EXPECT_TRUE(WaitUntil([&] { return Labels() == std::vector<std::wstring>{L"zeta new", L"zeta old"}; }));
    ASSERT_TRUE(PutTextOnClipboard(L"unrelated"));
    EXPECT_TRUE(Shows("Escape", {L"unrelated", L"zeta new", L"other", L"zeta old"}));
}

}  // namespace
