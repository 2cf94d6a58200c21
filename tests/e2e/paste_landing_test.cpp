// Pastes that land where the user was, met as a user meets them: a program added in the
// options with Shift+Insert gets Shift+Insert; Ctrl still held from Ctrl+1 neither turns the
// paste key into another shortcut nor stays down; a drop-down box that selects all of its text
// when the focus comes back gets only its selected part replaced; "Type it" types a text with
// letters beyond ASCII and a line break into notepad, and a long one only after asking, until Esc.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/KeyTarget.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr int kPasteKeysButton = 1502;
constexpr int kPasteProgramEdit = 1504;
constexpr int kPasteKeyBox = 1505;
constexpr wchar_t kPasteKeysTitle[] = L"Paste keys";
// The paste keys as the Paste keys dialog offers them, and as the settings file stores them.
constexpr int kShiftInsertChoice = 1;
constexpr int32_t kShiftInsert = 1;

// This program's executable name: the key target is one of its windows.
std::string DriverProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    const std::wstring name = full.substr(full.find_last_of(L"\\/") + 1);
    return std::string(name.begin(), name.end());
}

// Quillary with its popup hidden and a key target in front.
class PasteLanding : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(NoWindowTitledLikeThePopup()); }
    void TearDown() override { PutTextOnClipboard(L"end of test"); }

    void Start(const StoredSettings* settings = nullptr)
    {
        if (settings) {
            ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), *settings, {}));
        }
        ASSERT_TRUE(m_quillary.Start());
        m_popup = m_quillary.WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
        PostMessageW(m_popup, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    }

    // The summon key over the target, then Home: the popup in front with its first row selected.
    ::testing::AssertionResult SummonAndPickFirst()
    {
        if (auto pressed = PressKeys("ctrl+shift+f"); !pressed)
            return pressed;
        if (!WaitUntil([&] { return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup &&
                                    FocusInThreadOf(m_popup) == m_list; }))
            return ::testing::AssertionFailure() << "Ctrl+Shift+F did not bring up the popup: " << DescribeForeground();
        const auto firstSelected = [&] {
            return SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0;
        };
        return PressKeysUntil("Home", firstSelected, [&] { return !firstSelected(); });
    }

    ::testing::AssertionResult PastedOnce()
    {
        if (WaitUntil([&] { return !m_target.Pastes().empty(); }) &&
            !WaitUntil([&] { return m_target.Pastes().size() > 1; }, kSettleTime))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << m_target.Pastes().size() << " pastes; keys seen: "
                                             << testing::PrintToString(m_target.Keys());
    }

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    KeyTarget m_target;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

TEST_F(PasteLanding, AProgramAddedInTheOptionsWithShiftInsertReceivesShiftInsert)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"pasted with Shift+Insert"));

    PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kOptionCommand, 0), 0);
    HWND options = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(PostClick(GetDlgItem(options, kPasteKeysButton)));
    HWND keys = WaitForDialog(m_quillary.ProcessId(), kPasteKeysTitle);
    ASSERT_NE(keys, nullptr) << "\"Paste keys...\" opened nothing";
    const std::string program = DriverProgram();
    ASSERT_TRUE(SetControlText(GetDlgItem(keys, kPasteProgramEdit), std::wstring(program.begin(), program.end())));
    ASSERT_EQ(SendMessageW(GetDlgItem(keys, kPasteKeyBox), CB_SETCURSEL, kShiftInsertChoice, 0), kShiftInsertChoice);
    ASSERT_TRUE(ClickButton(GetDlgItem(keys, IDOK)));
    ASSERT_TRUE(WaitUntilGone(keys));
    ASSERT_TRUE(ClickButton(GetDlgItem(options, IDOK)));
    ASSERT_TRUE(WaitUntilGone(options));
    ASSERT_TRUE(Settle(m_popup));
    const std::string saved = ArchiveString(DriverProgram()) + ArchiveInt(kShiftInsert);
    EXPECT_TRUE(WaitUntil([&] {
        return ReadFileBytes(m_folder.Child(kDataFolderName) + L"\\" + kOptionsFileName).find(saved) !=
               std::string::npos;
    })) << "the settings file does not list the program with Shift+Insert";

    ASSERT_TRUE(m_target.Activate(m_target.KeyField()));
    ASSERT_TRUE(SummonAndPickFirst());
    ASSERT_TRUE(PressKeys("Return"));
    ASSERT_TRUE(PastedOnce());
    EXPECT_EQ(m_target.Pastes()[0].keys, L"Shift+Insert");
    EXPECT_EQ(m_target.Pastes()[0].text, L"pasted with Shift+Insert");
}

TEST_F(PasteLanding, APasteWhileCtrlIsStillHeldGetsThePasteKeyAloneAndLeavesNoKeyDown)
{
    StoredSettings settings;
    settings.pasteKeys.emplace_back(DriverProgram(), kShiftInsert);
    ASSERT_NO_FATAL_FAILURE(Start(&settings));
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"pasted while Ctrl was held"));
    ASSERT_TRUE(m_target.Activate(m_target.KeyField()));
    ASSERT_TRUE(SummonAndPickFirst());

    // Ctrl+1 pastes the first row; the finger leaves Ctrl a little later.
    ASSERT_TRUE(PressKeysHolding("ctrl", "1", std::chrono::milliseconds(400)));
    ASSERT_TRUE(PastedOnce());
    EXPECT_EQ(m_target.Pastes()[0].text, L"pasted while Ctrl was held");
    EXPECT_EQ(m_target.Pastes()[0].keys, L"Shift+Insert");
    // The user's own Ctrl came up before the paste key: it waited for the finger.
    const std::vector<std::wstring> keys = m_target.Keys();
    const auto pasteKey = std::find(keys.begin(), keys.end(), L"down Shift+Insert");
    EXPECT_EQ(std::find(pasteKey, keys.end(), L"up Ctrl"), keys.end())
        << "Ctrl came up after the paste key: " << testing::PrintToString(keys);
    ASSERT_TRUE(Settle(m_target.Handle()));
    EXPECT_EQ(m_target.KeysDown(), std::vector<std::wstring>{})
        << "keys seen: " << testing::PrintToString(m_target.Keys());
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_INSERT, static_cast<int>('V')})
        EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << "key " << key << " is still down";
}

TEST_F(PasteLanding, ADropDownBoxWithPartOfItsTextSelectedGetsOnlyThatPartReplaced)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"XY"));
    HWND edit = m_target.DropDownEdit();
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(m_target.Activate(edit));
    ASSERT_TRUE(SetControlText(m_target.DropDown(), L"hello world"));
    SendMessageW(edit, EM_SETSEL, 2, 5);  // "llo"
    ASSERT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), MAKELRESULT(2, 5));

    ASSERT_TRUE(SummonAndPickFirst());
    ASSERT_TRUE(PressKeys("Return"));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(m_target.DropDown()) != L"hello world"; }))
        << "nothing was pasted into the drop-down box";
    EXPECT_FALSE(WaitUntil([&] { return ControlText(m_target.DropDown()) != L"heXY world"; }, kSettleTime))
        << "the drop-down box holds " << testing::PrintToString(ControlText(m_target.DropDown()));
    EXPECT_EQ(FocusInThreadOf(edit), edit);
}

class TypeIt : public PopupOverNotepad {};

TEST_F(TypeIt, TypesLettersBeyondAsciiAndALineBreakIntoNotepadAndLeavesTheClipboardAlone)
{
    const std::wstring typed = L"Gr\u00FC\u00DFe, Zo\u00EB: \u00BD \u20AC \u65E5\u672C \U0001F600\r\nzweite Zeile";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({typed, L"still on the clipboard"}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home Down", {1}));
    const std::vector<ListItem> before = Rows();
    ASSERT_TRUE(PressKeys("ctrl+shift+Return"));
    EXPECT_TRUE(WaitUntil([&] { return m_notepad.Text() == typed; }))
        << "notepad holds " << testing::PrintToString(m_notepad.Text());
    EXPECT_FALSE(WaitUntil([&] { return m_notepad.Text() != typed; }, kSettleTime))
        << "afterwards notepad holds " << testing::PrintToString(m_notepad.Text());
    const std::string clipboard = ReadClipboard(CF_UNICODETEXT).value_or("");
    const std::wstring onClipboard(reinterpret_cast<const wchar_t*>(clipboard.data()),
                                   clipboard.size() / sizeof(wchar_t));
    EXPECT_EQ(onClipboard.c_str(), std::wstring(L"still on the clipboard")) << "typing changed the clipboard";
    ExpectListUnchanged(before);
}

TEST_F(TypeIt, ALongTextIsTypedOnlyAfterAskingAndEscStopsIt)
{
    std::wstring text;
    for (int i = 0; text.size() < 2100; ++i)
        text += L"<" + std::to_wstring(i) + L">";
    text.resize(2100);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({text}));
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));
    ASSERT_TRUE(PressKeys("ctrl+shift+Return"));
    HWND question = WaitForMessageBox(m_quillary.ProcessId(), m_popup);
    ASSERT_NE(question, nullptr) << "a text of 2100 characters was typed without asking";
    EXPECT_NE(MessageBoxText(question).find(L"2100 characters"), std::wstring::npos)
        << testing::PrintToString(MessageBoxText(question));
    EXPECT_TRUE(m_notepad.Text().empty()) << "typing began before the answer";
    ASSERT_TRUE(ClickButton(GetDlgItem(question, IDOK)));

    ASSERT_TRUE(WaitUntil([&] { return m_notepad.Text().size() >= 40; })) << "typing did not begin";
    ASSERT_TRUE(PressKeys("Escape"));
    std::wstring stopped;
    // Stopped once the text stays as it is.
    ASSERT_TRUE(WaitUntil([&] {
        stopped = m_notepad.Text();
        return !WaitUntil([&] { return m_notepad.Text() != stopped; }, std::chrono::milliseconds(500));
    }));
    EXPECT_LT(stopped.size(), text.size()) << "Esc did not stop the typing";
    EXPECT_EQ(stopped, text.substr(0, stopped.size())) << "what was typed is not the text's beginning";
}

}  // namespace
