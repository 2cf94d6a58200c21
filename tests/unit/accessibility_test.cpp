// What screen readers get where the end-to-end tests cannot look: the words of the
// program's menus read in their own process (Wine gives another process nothing of a
// menu), plain and owner-drawn; and the decisions fed with inputs that the popup runs on
// (a row's description, the text size to draw at) in the cases the end-to-end test does not meet.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "controls/KelvoMenu.h"
#include "history/model/EntryFormats.h"
#include "resource.h"
#include "shell/popup/RowDescription.h"
#include "shell/popup/TextScale.h"
#include "tests/unit/drop_files_support.h"

namespace {

const std::vector<std::wstring> kTrayWords = {L"Option...\tCtrl+O", L"", L"Help\tF1", L"About...", L"",
                                              L"Pause recording", L"", L"Exit"};
const std::vector<std::wstring> kListWords = {L"Set top\tCtrl+P", L"", L"Paste to...\tEnter",
                                              L"Paste as plain text\tShift+Enter", L"Type it\tCtrl+Shift+Enter",
                                              L"", L"Delete\tDel", L"Clear All\tCtrl+Shift+Del"};

std::vector<std::wstring> WordsOf(HMENU menu)
{
    std::vector<std::wstring> words;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
        words.push_back(text);
    }
    return words;
}

bool AllOwnerDrawn(HMENU menu)
{
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        if (!(GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_OWNERDRAW))
            return false;
    }
    return GetMenuItemCount(menu) > 0;
}

std::shared_ptr<const EntryFormats> Kept(const std::vector<std::wstring>& names, std::vector<std::wstring> files = {},
                                         const std::vector<std::wstring>& leftOut = {})
{
    auto formats = std::make_shared<EntryFormats>();
    for (const std::wstring& name : names)
        formats->kept.push_back({{name, 0}, {'x'}});
    if (!files.empty())
        formats->kept.push_back({{L"", EntryFormats::kFileListNumber}, drop_files::Block(files)});
    for (const std::wstring& name : leftOut)
        formats->leftOut.push_back({name, 0});
    return formats;
}

}  // namespace

TEST(MenuWords, EveryItemOfBothMenusKeepsItsWordsAndKeyWhetherTheSystemOrWeDrawIt)
{
    for (UINT id : {UINT{IDR_TRAY_MENU}, UINT{IDR_LIST_MENU}}) {
        const std::vector<std::wstring>& expected = id == IDR_TRAY_MENU ? kTrayWords : kListWords;
        CMenu plain;
        ASSERT_TRUE(plain.LoadMenu(id));
        EXPECT_EQ(WordsOf(GetSubMenu(plain.m_hMenu, 0)), expected) << "menu " << id << ", drawn by the system";
        KelvoMenu drawn;
        ASSERT_TRUE(drawn.LoadMenu(id));
        HMENU popup = GetSubMenu(drawn.m_hMenu, 0);
        ASSERT_TRUE(AllOwnerDrawn(popup)) << "menu " << id;
        EXPECT_EQ(WordsOf(popup), expected) << "menu " << id << ", drawn by us";

        // An item put in behind the records' back makes the menu read itself again: the words stay.
        AppendMenuW(popup, MF_STRING, 4242, L"Added");
        KelvoMenu::MenuCharLookup(L'q', MF_POPUP, CMenu::FromHandlePermanent(popup));
        std::vector<std::wstring> resynced = expected;
        resynced.push_back(L"Added");
        ASSERT_TRUE(AllOwnerDrawn(popup)) << "menu " << id;
        EXPECT_EQ(WordsOf(popup), resynced) << "menu " << id << " after a resync";
    }
}

TEST(RowDescription, SaysWhatElseMattersAboutARow)
{
    struct Case {
        const char* what;
        RowFacts row;
        std::wstring expected;
    };
    const auto html = Kept({EntryFormats::kHtmlName, EntryFormats::kRtfName});
    const auto oneFile = Kept({}, {L"C:\\a.txt"});
    const auto tooBig = Kept({EntryFormats::kHtmlName}, {}, {EntryFormats::kRtfName});
    const Case cases[] = {
        {"plain text past the ninth row", {false, false, {0, 0}, nullptr, 0}, L""},
        {"picture", {false, true, {1920, 1080}, nullptr, 2}, L"picture, 1920 by 1080 pixels; Ctrl+2"},
        {"picture of no known size", {false, true, {0, 0}, nullptr, 0}, L"picture"},
        {"kept formats", {true, false, {0, 0}, html.get(), 9}, L"pinned; with HTML, RTF; Ctrl+9"},
        {"one file", {false, false, {0, 0}, oneFile.get(), 0}, L"file list, 1 file"},
        {"a format left out", {false, false, {0, 0}, tooBig.get(), 0}, L"with HTML; formatting not kept: RTF"},
    };
    for (const Case& one : cases)
        EXPECT_EQ(DescribeRow(one.row), one.expected) << one.what;
}

TEST(TextScale, TheLargerOfTheSettingAndTheMessageFontWithinTheSystemsRange)
{
    struct Case {
        DWORD setting;
        int messageFont;
        int ownFont;
        int expected;
    };
    const Case cases[] = {
        {0, 0, -12, 100},      // nothing known: normal
        {150, -12, -12, 150},  // the setting alone
        {150, -18, -12, 150},  // both from one setting: not applied twice
        {125, -16, -12, 133},  // the larger wins
        {0, -11, -12, 100},    // a smaller message font never shrinks the popup
        {300, 0, -12, 225},    // above it
        {0, 24, 16, 150},      // cell heights compare as well as character heights
    };
    for (const Case& one : cases)
        EXPECT_EQ(TextScale::Combine(one.setting, one.messageFont, one.ownFont), one.expected)
            << one.setting << "% with a message font of " << one.messageFont << " against " << one.ownFont;
}
