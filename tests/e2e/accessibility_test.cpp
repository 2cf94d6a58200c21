// For people who cannot see the popup: what a screen reader reads of every control, row,
// dialog and link (the objects that AccessibleObjectFromWindow gives), what it hears while
// a search is typed (an out-of-context accessibility event hook), every command reached
// from the keyboard alone (not one mouse message is sent), and the popup's text size.
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FormatCopier.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/ScreenReader.h"
#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"
#include "tests/unit/drop_files_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr WORD kSetTopCommand = 32775;
constexpr WORD kAboutCommand = 32780;
constexpr UINT kTrayMessage = WM_USER + 10;
constexpr UINT kTrayIconId = 128;
// The shell's report of the icon chosen with the keyboard (NIN_KEYSELECT), and the event of
// a live region (EVENT_OBJECT_LIVEREGIONCHANGED), neither defined at this SDK level.
constexpr UINT kKeySelect = WM_USER + 1;
constexpr DWORD kLiveRegionChanged = 0x8019;
constexpr int kTextImage = 0;
constexpr int kTopTextImage = 2;
constexpr wchar_t kMenuClass[] = L"#32768";
// How long a look for a window that a key should have opened waits before the key is pressed again.
constexpr std::chrono::milliseconds kPoll{100};
constexpr wchar_t kAboutTitle[] = L"About Quillary";
constexpr wchar_t kAccessibilityKey[] = L"Software\\Microsoft\\Accessibility";
constexpr wchar_t kTextScaleValue[] = L"TextScaleFactor";

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

class Accessibility : public PopupOverNotepad {
protected:
    void TearDown() override
    {
        // A text size left behind would follow every later test.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kTextScaleValue);
        PopupOverNotepad::TearDown();
    }

    HWND Control(int id) const { return GetDlgItem(m_popup, id); }

    // A visible menu of Quillary's, or nullptr.
    HWND VisibleMenu() const
    {
        for (HWND menu : FindTopLevelWindows(m_quillary.ProcessId(), kMenuClass, nullptr)) {
            if (IsWindowVisible(menu))
                return menu;
        }
        return nullptr;
    }

    ::testing::AssertionResult KeysOpenAMenu(const std::string& keys)
    {
        return PressKeysUntil(keys, [&] { return VisibleMenu() != nullptr; }, [&] { return VisibleMenu() == nullptr; });
    }

    ::testing::AssertionResult EscapeClosesTheMenu()
    {
        return PressKeysUntil("Escape", [&] { return VisibleMenu() == nullptr; }, [&] { return VisibleMenu() != nullptr; });
    }

    std::vector<int> Images() const
    {
        std::vector<int> images;
        for (const ListItem& row : Rows())
            images.push_back(row.image);
        return images;
    }

    // The text size setting as Windows keeps it, and the notice Windows broadcasts when it changes.
    void SetTextScale(DWORD percent) const
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kTextScaleValue, REG_DWORD, &percent,
                                  sizeof(percent)),
                  ERROR_SUCCESS);
        ASSERT_TRUE(SendMessageTimeoutW(m_popup, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Accessibility"),
                                        SMTO_ABORTIFHUNG, 5000, nullptr));
    }

    ScreenReader m_reader;
};

TEST_F(Accessibility, AScreenReaderReadsEveryControlAndRowAsWhatItIs)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::uint8_t> block =
        drop_files::Block({L"C:\\users\\public\\report.docx", L"C:\\users\\public\\a.txt", L"C:\\users\\public\\b.txt"});
    FormatCopier files;
    ASSERT_TRUE(files.Copy({{L"#15", std::string(block.begin(), block.end())}}));
    ASSERT_TRUE(WaitUntil([&] { return List().ItemCount() == 1; }));
    ASSERT_TRUE(files.End().has_value());
    FormatCopier formatted;
    ASSERT_TRUE(formatted.Copy({{L"#13", Utf16Bytes(L"bold words")},
                                {L"HTML Format", "Version:0.9\r\n<html><body><b>bold words</b></body></html>"}}));
    ASSERT_TRUE(WaitUntil([&] { return List().ItemCount() == 2; }));
    ASSERT_TRUE(formatted.End().has_value());
    ASSERT_NO_FATAL_FAILURE(Copy({L"pinned one", L"plain words"}));
    ASSERT_TRUE(SelectOnlyRows(m_list, {1}));
    ASSERT_TRUE(SendCommand(m_popup, kSetTopCommand));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("End Home", {0}));

    const auto button = m_reader.Read(Control(kOptionsButtonId));
    ASSERT_TRUE(button.has_value());
    EXPECT_EQ(button->name, L"Options") << "the button draws \"<>\"";
    EXPECT_EQ(button->role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(button->keyboardShortcut, L"Ctrl+O");
    EXPECT_EQ(button->description, L"Opens the Option dialog");
    EXPECT_EQ(WindowText(Control(kOptionsButtonId)), L"<>") << "what sighted users see changed";
    const auto search = m_reader.Read(Control(kSearchFieldId));
    ASSERT_TRUE(search.has_value());
    EXPECT_EQ(search->name, L"Search the history");
    EXPECT_EQ(search->role, ROLE_SYSTEM_TEXT);
    const auto list = m_reader.Read(m_list);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->name, L"Clipboard history");
    EXPECT_EQ(list->role, ROLE_SYSTEM_LIST);
    EXPECT_EQ(list->children, 4);

    const std::vector<std::wstring> labels = Labels();
    ASSERT_EQ(labels, (std::vector<std::wstring>{L"pinned one", L"plain words", L"bold words", L"report.docx (+2 more)"}));
    const std::wstring descriptions[] = {L"pinned; Ctrl+1", L"Ctrl+2", L"with HTML; Ctrl+3",
                                         L"file list, 3 files; Ctrl+4"};
    for (long row = 0; row < 4; ++row) {
        const auto read = m_reader.Read(m_list, row + 1);
        ASSERT_TRUE(read.has_value()) << "row " << row;
        EXPECT_EQ(read->name, labels[static_cast<size_t>(row)]) << "row " << row;
        EXPECT_EQ(read->description, descriptions[row]) << "row " << row;
        EXPECT_EQ(read->role, ROLE_SYSTEM_LISTITEM) << "row " << row;
        EXPECT_EQ((read->state & STATE_SYSTEM_SELECTED) != 0, row == 0) << "row " << row;
        EXPECT_EQ((read->state & STATE_SYSTEM_FOCUSED) != 0, row == 0) << "row " << row;
    }

    // A reader's "click" on a row pastes that row into the window the popup came from.
    EXPECT_EQ(m_reader.Read(m_list, 3).value_or(Readout{}).defaultAction, L"Paste");
    ASSERT_TRUE(m_reader.DoDefaultAction(m_list, 3));
    EXPECT_TRUE(WaitUntil([&] { return m_notepad.Text() == L"bold words"; })) << "notepad holds "
                                                                               << testing::PrintToString(m_notepad.Text());
    EXPECT_FALSE(IsWindowVisible(m_popup));
    EXPECT_TRUE(WaitUntil([&] { return m_notepad.HasKeyboardFocus(); })) << DescribeForeground();
}

TEST_F(Accessibility, DialogsReadTheirLabelsAndLinksAndAHeldObjectOutlivesItsWindow)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // The button's default action opens what a click opens.
    ASSERT_TRUE(m_reader.DoDefaultAction(Control(kOptionsButtonId)));
    HWND options = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(options, nullptr) << "the button's default action opened no Option dialog";
    const std::pair<int, std::wstring> labelled[] = {
        {1006, L"before:"},      {1008, L"after:"},
        {1020, L"Summon key"},  {1021, L"History size:"},
        {1024, L"Programs to ignore (one executable name per line):"},
        {1027, L"days (1 to 365)"}, {1007, L"Auto Run When OS Start"},
        {1009, L"Compounding Paste"}, {1028, L"Encrypt the history (readable only by this Windows account)"}};
    for (const auto& [id, name] : labelled)
        EXPECT_EQ(m_reader.Read(GetDlgItem(options, id)).value_or(Readout{}).name, name) << "control " << id;
    ASSERT_TRUE(PressKeysUntil("Escape", [&] { return !IsWindow(options); }, [&] { return IsWindow(options) != FALSE; }));

    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kAboutCommand, 0), 0);
    HWND about = WaitForDialog(m_quillary.ProcessId(), kAboutTitle);
    ASSERT_NE(about, nullptr);
    for (int id : {1017, 1019}) {
        HWND link = GetDlgItem(about, id);
        const auto read = m_reader.Read(link);
        ASSERT_TRUE(read.has_value()) << "link " << id;
        EXPECT_EQ(read->role, ROLE_SYSTEM_LINK) << "link " << id;
        EXPECT_EQ(read->name, ControlText(link)) << "link " << id;
        EXPECT_EQ(read->defaultAction, L"Jump") << "link " << id;
        EXPECT_NE(read->state & STATE_SYSTEM_LINKED, 0) << "link " << id;
        EXPECT_EQ(read->description.rfind(id == 1017 ? L"mailto:" : L"http", 0), 0u) << "link " << id << " leads to "
                                                                                     << testing::PrintToString(read->description);
        // Tab reaches the link, as it reaches a button.
        HWND before = FocusInThreadOf(about);
        EXPECT_TRUE(PressKeysUntil("Tab", [&] { return FocusInThreadOf(about) == link; },
                                   [&] { return FocusInThreadOf(about) == before; }))
            << "Tab did not reach link " << id << "; the focus is on " << DescribeWindow(FocusInThreadOf(about));
    }
    IAccessible* held = m_reader.Hold(GetDlgItem(about, 1017));
    ASSERT_NE(held, nullptr);
    ASSERT_TRUE(PressKeysUntil("Escape", [&] { return !IsWindow(about); }, [&] { return IsWindow(about) != FALSE; }));
    // A reader that kept the link's object is told it is gone; the program lives on.
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_TRUE(FAILED(held->get_accName(self, &name))) << "the closed link still answers";
    SysFreeString(name);
    held->Release();
    EXPECT_TRUE(m_quillary.IsRunning());
    EXPECT_TRUE(Settle(m_popup));
}

TEST_F(Accessibility, ASearchIsToldWhileTheFocusStaysInTheSearchField)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"alpha one", L"beta", L"alpha two"}));
    ASSERT_TRUE(Summon());
    HWND search = Control(kSearchFieldId);
    ASSERT_TRUE(PressKeysUntil("Tab", [&] { return FocusInThreadOf(m_popup) == search; },
                               [&] { return FocusInThreadOf(m_popup) == m_list; }));
    EventListener listener(m_quillary.ProcessId(), kLiveRegionChanged);

    ASSERT_TRUE(Shows("a l p h a", {L"alpha two", L"alpha one"}));
    EXPECT_TRUE(listener.WaitToHear(L"2 entries, alpha two")) << testing::PrintToString(listener.Heard());
    ASSERT_TRUE(Select("Down", {1}));
    EXPECT_TRUE(listener.WaitToHear(L"alpha one, 2 of 2")) << testing::PrintToString(listener.Heard());
    ASSERT_TRUE(Shows("z", {}));
    EXPECT_TRUE(listener.WaitToHear(L"No entry matches")) << testing::PrintToString(listener.Heard());
    ASSERT_TRUE(Shows("Escape", {L"alpha two", L"beta", L"alpha one"}));
    EXPECT_TRUE(listener.WaitToHear(L"3 entries, alpha two")) << testing::PrintToString(listener.Heard());
    EXPECT_EQ(FocusInThreadOf(m_popup), search) << "the focus left the search field";
}

TEST_F(Accessibility, EveryCommandIsAtAKeyWithoutTheMouse)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"one", L"two", L"three", L"four"}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));

    // The list's menu: the Menu key, and Shift+F10 whose first item is Set top.
    ASSERT_TRUE(KeysOpenAMenu("Menu"));
    ASSERT_TRUE(EscapeClosesTheMenu());
    EXPECT_TRUE(IsWindowVisible(m_popup)) << "Esc in the menu also hid the popup";
    ASSERT_TRUE(KeysOpenAMenu("shift+F10"));
    ASSERT_TRUE(PressKeysUntil("Down Return", [&] { return Images()[0] == kTopTextImage; },
                               [&] { return VisibleMenu() != nullptr; }));
    // Set top from its key, on the second row.
    ASSERT_TRUE(Select("Down", {1}));
    ASSERT_TRUE(PressKeysUntil("ctrl+p", [&] { return Images() == std::vector<int>{kTopTextImage, kTopTextImage,
                                                                                   kTextImage, kTextImage}; },
                               [&] { return Images()[1] == kTextImage; }));
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"four", L"three", L"two", L"one"}));
    // Delete.
    ASSERT_TRUE(Select("End", {3}));
    ASSERT_TRUE(PressKeysUntil("Delete", [&] { return List().ItemCount() == 3; }, [&] { return List().ItemCount() == 4; }));
    // Paste as plain text, then Paste to...: each time the focus is back in notepad's edit.
    ASSERT_TRUE(Select("Home", {0}));
    ExpectKeysPaste("shift+Return", L"four");
    ASSERT_TRUE(m_notepad.Clear());
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home Down", {1}));
    ExpectEnterPastes(L"three");

    // The options, and Esc out of them.
    ASSERT_TRUE(Summon());
    const auto optionsOpen = [&] { return WaitForDialog(m_quillary.ProcessId(), kOptionTitle, kPoll) != nullptr; };
    ASSERT_TRUE(PressKeysUntil("ctrl+o", optionsOpen, [&] { return !optionsOpen(); }));
    HWND options = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(options, nullptr) << "Ctrl+O opened no Option dialog";
    ASSERT_TRUE(PressKeysUntil("Escape", [&] { return !IsWindow(options); }, [&] { return IsWindow(options) != FALSE; }));

    // Clear All asks when a search hides entries: Esc answers no.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_popup; })) << DescribeForeground();
    ASSERT_TRUE(Shows("t h r e e", {L"three"}));
    const auto asked = [&] { return WaitForMessageBox(m_quillary.ProcessId(), m_popup, kPoll) != nullptr; };
    ASSERT_TRUE(PressKeysUntil("ctrl+shift+Delete", asked, [&] { return !asked(); }));
    HWND question = WaitForMessageBox(m_quillary.ProcessId(), m_popup);
    ASSERT_NE(question, nullptr) << "Clear All did not ask";
    ASSERT_TRUE(PressKeysUntil("Escape", [&] { return !IsWindow(question); }, [&] { return IsWindow(question) != FALSE; }));
    EXPECT_EQ(List().ItemCount(), 1) << "Esc cleared the history";
    ASSERT_TRUE(Shows("Escape", {L"four", L"three", L"two"}));
    ASSERT_TRUE(PressKeysUntil("ctrl+shift+Delete", [&] { return List().ItemCount() == 0; },
                               [&] { return List().ItemCount() == 3; }));
    ASSERT_TRUE(PressKeysUntil("Escape", [&] { return !IsWindowVisible(m_popup); },
                               [&] { return IsWindowVisible(m_popup) != FALSE; }));

    // The tray icon from the keyboard, as the shell reports it (version 4): Enter on the icon
    // summons, Shift+F10 on it opens the tray menu, Esc closes that.
    ASSERT_TRUE(m_notepad.Activate());
    PostMessageW(m_popup, kTrayMessage, MAKEWPARAM(900, 700), MAKELPARAM(kKeySelect, kTrayIconId));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_popup) != FALSE; })) << "keyboard selection of the tray icon";
    ASSERT_TRUE(PressKeysUntil("Escape", [&] { return !IsWindowVisible(m_popup); },
                               [&] { return IsWindowVisible(m_popup) != FALSE; }));
    PostMessageW(m_popup, kTrayMessage, MAKEWPARAM(900, 700), MAKELPARAM(WM_CONTEXTMENU, kTrayIconId));
    ASSERT_TRUE(WaitUntil([&] { return VisibleMenu() != nullptr; })) << "the tray icon's context menu did not open";
    // The menu's owner is the hidden popup, which has no X window to take the X focus: the
    // key goes in through the system's input, as a keyboard's does.
    ASSERT_TRUE(TypeToForeground({VK_ESCAPE}));
    EXPECT_TRUE(WaitUntil([&] { return VisibleMenu() == nullptr; })) << "Esc left the tray menu open";
}

TEST_F(Accessibility, ThePopupAndItsRowsFollowTheSystemTextSize)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"tall text"}));
    const auto rowHeight = [&] {
        const RECT row = List().ItemRect(0, LVIR_BOUNDS).value_or(RECT{});
        return row.bottom - row.top;
    };
    const auto searchHeight = [&] { return WindowRect(Control(kSearchFieldId)).bottom - WindowRect(Control(kSearchFieldId)).top; };
    const int row = rowHeight();
    const int field = searchHeight();
    ASSERT_GT(row, 0);

    ASSERT_NO_FATAL_FAILURE(SetTextScale(150));
    EXPECT_EQ(searchHeight(), MulDiv(field, 150, 100));
    // The row grows with its text: a 9-point line at one and a half times its size.
    EXPECT_GE(rowHeight(), row + MulDiv(kPopupFontPoints, 96, 72) / 2) << "rows of " << row << " pixels became "
                                                                       << rowHeight();

    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kAccessibilityKey, kTextScaleValue), ERROR_SUCCESS);
    ASSERT_TRUE(SendMessageTimeoutW(m_popup, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Accessibility"),
                                    SMTO_ABORTIFHUNG, 5000, nullptr));
    EXPECT_EQ(searchHeight(), field);
    EXPECT_EQ(rowHeight(), row);
}

}  // namespace
