// The popup's command table: every menu command and the "<>" button reach
// their own handler and nothing else, other notifications and ids reach none.
#include <gtest/gtest.h>

#include "shell/CommandTable.h"
#include "resource.h"

#include <string>
#include <vector>

namespace {

class Commands : public testing::Test {
protected:
    Commands()
        : table(PopupCommandHandlers{
              [this] { ran.push_back("ShowOptions"); },
              [this] { ran.push_back("ShowHelp"); },
              [this] { ran.push_back("ShowAbout"); },
              [this] { ran.push_back("ExitProgram"); },
              [this] { ran.push_back("SetSelectedToTop"); },
              [this] { ran.push_back("PasteSelectedEntries"); },
              [this] { ran.push_back("PasteSelectedAsPlainText"); },
              [this] { ran.push_back("DeleteSelectedEntries"); },
              [this] { ran.push_back("ClearHistory"); },
              [this] { ran.push_back("TogglePause"); },
              [this] { ran.push_back("TypeSelectedEntries"); },
          })
    {
    }

    std::vector<std::string> ran;
    CommandTable table;
};

TEST_F(Commands, EveryMenuCommandReachesItsOwnHandler)
{
    const std::vector<std::pair<UINT, std::string>> expected = {
        {32771, "ShowOptions"},          {32782, "ShowHelp"},
        {32780, "ShowAbout"},            {32773, "ExitProgram"},
        {32775, "SetSelectedToTop"},     {32778, "PasteSelectedEntries"},
        {32776, "DeleteSelectedEntries"}, {32777, "ClearHistory"},
        {32784, "TogglePause"},          {32785, "PasteSelectedAsPlainText"},
        {33200, "TypeSelectedEntries"},
    };
    for (const auto& entry : expected) {
        ran.clear();
        EXPECT_TRUE(table.Route(MAKEWPARAM(entry.first, 0), 0)) << entry.first;
        EXPECT_EQ(ran, std::vector<std::string>{entry.second}) << entry.first;
    }
}

TEST_F(Commands, AcceleratorsRouteLikeMenus)
{
    EXPECT_TRUE(table.Route(MAKEWPARAM(ID_MENU_EXIT, 1), 0));
    EXPECT_EQ(ran, std::vector<std::string>{"ExitProgram"});
}

TEST_F(Commands, OnlyAClickOfTheOptionsButtonOpensTheOptions)
{
    HWND button = CreateWindowExW(0, L"Button", L"<>", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    const LPARAM from = reinterpret_cast<LPARAM>(button);
    EXPECT_TRUE(table.Route(MAKEWPARAM(IDC_BUTTON_OPTIONS, BN_CLICKED), from));
    EXPECT_EQ(ran, std::vector<std::string>{"ShowOptions"});

    ran.clear();
    EXPECT_FALSE(table.Route(MAKEWPARAM(IDC_BUTTON_OPTIONS, BN_SETFOCUS), from));
    EXPECT_FALSE(table.Route(MAKEWPARAM(IDC_BUTTON_OPTIONS, BN_DOUBLECLICKED), from));
    EXPECT_FALSE(table.Route(MAKEWPARAM(IDC_BUTTON_OPTIONS, 1), from));
    EXPECT_TRUE(ran.empty());
    DestroyWindow(button);
}

TEST_F(Commands, OtherIdsAndControlNotificationsReachNoHandler)
{
    for (UINT id : {0u, 1u, 2u, 16u, 1005u, 32770u, 32772u, 32774u, 32779u, 32781u, 32783u, 32786u})
        EXPECT_FALSE(table.Route(MAKEWPARAM(id, 0), 0)) << id;
    // A notification code other than a menu's or an accelerator's.
    EXPECT_FALSE(table.Route(MAKEWPARAM(ID_MENU_DELETE, 2), 0));
    EXPECT_TRUE(ran.empty());
}

TEST(CommandTableMissing, AnUnsetHandlerIsNotRouted)
{
    int shown = 0;
    PopupCommandHandlers handlers;
    handlers.showAbout = [&] { ++shown; };
    CommandTable table(handlers);
    EXPECT_FALSE(table.Route(MAKEWPARAM(ID_MENU_HELP, 0), 0));
    EXPECT_TRUE(table.Route(MAKEWPARAM(ID_MENU_ABOUT, 0), 0));
    EXPECT_EQ(shown, 1);
}

}  // namespace
