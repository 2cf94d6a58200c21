// The options a user changes in the Option dialog, each met as the user meets it: a new
// summon key, a key another program holds, a smaller history, no repeats, recorded
// pictures and a program whose copies are ignored.
#include "framework/Handles.h"
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/IgnoredCopier.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/Notepad.h"
#include "tests/e2e/PictureTarget.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr int kSummonKeyControl = 1020;
constexpr int kHistorySizeEdit = 1021;
constexpr int kNoRepeatsCheck = 1022;
constexpr int kRecordPicturesCheck = 1023;
constexpr int kIgnoredProgramsEdit = 1024;

// Hot-key control words: the virtual key in the low byte, HOTKEYF_* in the high byte.
constexpr int kCtrlAltJ = MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_ALT);
constexpr int kCtrlAltK = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT);

// Images of the history list.
constexpr int kPictureImage = 1;

// Long enough for a hotkey that should have had no effect to have shown one.
constexpr std::chrono::milliseconds kSettleTime{1000};

// A hotkey held by the driver, standing for another program that took the key first.
class HeldHotkey {
public:
    HeldHotkey(UINT modifiers, UINT key) : m_held(RegisterHotKey(nullptr, kId, modifiers, key) != FALSE) {}
    ~HeldHotkey()
    {
        if (m_held)
            UnregisterHotKey(nullptr, kId);
    }
    HeldHotkey(const HeldHotkey&) = delete;
    HeldHotkey& operator=(const HeldHotkey&) = delete;
    bool IsHeld() const { return m_held; }

private:
    static constexpr int kId = 0x7E2F;
    bool m_held;
};

bool SetHotkey(HWND control, int key)
{
    return SendMessageTimeoutW(control, HKM_SETHOTKEY, static_cast<WPARAM>(key), 0, SMTO_ABORTIFHUNG, 5000, nullptr)
           != 0;
}

// A picture whose every pixel differs from its neighbours, seven pixels wide so that its
// rows need padding.
Picture TestPicture()
{
    Picture picture{7, 5, {}};
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t red = 30 * x + 17;
            const uint32_t green = 50 * y + 3;
            const uint32_t blue = (x * 41 + y * 67) & 0xFF;
            picture.pixels.push_back(red << 16 | green << 8 | blue);
        }
    }
    return picture;
}

// A copy started from a prepared data folder, its popup hidden as while the user works elsewhere.
class OptionsInUse : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(NoWindowTitledLikeThePopup()); }

    void Start(const std::vector<std::string>& texts = {}, int topCount = 0)
    {
        m_stored.topCount = topCount;
        ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), m_stored, texts));
        m_stored.entryCount = static_cast<int32_t>(texts.size());
        ASSERT_NO_FATAL_FAILURE(Launch());
    }

    // Exit as the tray menu does it, then a new start from the same folder.
    void Restart()
    {
        ASSERT_TRUE(m_quillary->End()) << "Exit did not end it";
        m_quillary.reset();
        ASSERT_NO_FATAL_FAILURE(Launch());
    }

    std::wstring OptionsFile() const
    {
        return m_folder.Child(kDataFolderName) + L"\\" + kOptionsFileName;
    }

    HWND OpenOptions() const
    {
        PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kOptionCommand, 0), 0);
        return WaitForDialog(m_quillary->ProcessId(), kOptionTitle);
    }

    // Clicks a button that ends the dialog and waits until the popup has taken the outcome.
    ::testing::AssertionResult CloseWith(HWND dialog, int button) const
    {
        if (!ClickButton(GetDlgItem(dialog, button)))
            return ::testing::AssertionFailure() << "button " << button << " does not answer";
        return AfterDialog(dialog);
    }

    ::testing::AssertionResult AfterDialog(HWND dialog) const
    {
        if (!WaitUntilGone(dialog))
            return ::testing::AssertionFailure() << "the Option dialog stays open";
        // Once the popup answers, the command that opened the dialog has run to its end.
        if (!Settle(m_popup))
            return ::testing::AssertionFailure() << "the popup does not answer after the dialog";
        return ::testing::AssertionSuccess();
    }

    // Opens the options, ticks or clears one check box and presses OK.
    ::testing::AssertionResult Tick(int checkBox, int state) const
    {
        HWND dialog = OpenOptions();
        if (!dialog)
            return ::testing::AssertionFailure() << "no Option dialog";
        if (CheckState(GetDlgItem(dialog, checkBox)) != state && !ClickButton(GetDlgItem(dialog, checkBox)))
            return ::testing::AssertionFailure() << "check box " << checkBox << " does not answer";
        if (CheckState(GetDlgItem(dialog, checkBox)) != state)
            return ::testing::AssertionFailure() << "check box " << checkBox << " does not take the state " << state;
        return CloseWith(dialog, IDOK);
    }

    // Returns once the clipboard is closed and the popup has handled every change notice
    // sent before: the notices and this call's message reach the popup in order.
    ::testing::AssertionResult CopiesHandled() const
    {
        if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
            return ::testing::AssertionFailure() << "the clipboard stays open in another program";
        CloseClipboard();
        if (!Settle(m_popup))
            return ::testing::AssertionFailure() << "the popup does not answer";
        return ::testing::AssertionSuccess();
    }

    std::vector<std::wstring> Labels() const
    {
        const RemoteListView list(m_list);
        std::vector<std::wstring> labels;
        const int count = list.ItemCount();
        for (int row = 0; row < count; ++row)
            labels.push_back(list.Item(row).value_or(ListItem{L"(unreadable)", -1, 0}).text);
        return labels;
    }

    ::testing::AssertionResult LabelsBecome(const std::vector<std::wstring>& expected) const
    {
        if (WaitUntil([&] { return Labels() == expected; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the list holds " << testing::PrintToString(Labels()) << ", not "
                                             << testing::PrintToString(expected);
    }

    // The keys, then the popup in front with its list focused, so that keys pressed now reach the list.
    ::testing::AssertionResult Summon(const std::string& keys) const
    {
        if (auto pressed = PressKeys(keys); !pressed)
            return pressed;
        if (!WaitUntil([&] {
                return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup && FocusInThreadOf(m_popup) == m_list;
            }))
            return ::testing::AssertionFailure() << keys << " did not bring up the popup: " << DescribeForeground();
        return ::testing::AssertionSuccess();
    }

    TempFolder m_folder;
    StoredSettings m_stored;
    std::optional<ProcessUnderTest> m_quillary;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;

private:
    void Launch()
    {
        m_quillary.emplace(m_folder.Path());
        ASSERT_TRUE(m_quillary->Start());
        m_popup = m_quillary->WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
        ASSERT_NE(m_list, nullptr);
        PostMessageW(m_popup, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    }
};

TEST_F(OptionsInUse, ANewSummonKeySummonsAtOnceAndTheOldOneNoLonger)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(SetHotkey(GetDlgItem(dialog, kSummonKeyControl), kCtrlAltJ));
    ASSERT_TRUE(CloseWith(dialog, IDOK));

    ASSERT_TRUE(notepad.Activate());
    ASSERT_TRUE(PressKeysAndWaitDelivered("ctrl+shift+f"));
    EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(m_popup) != FALSE; }, kSettleTime))
        << "Ctrl+Shift+F still summons";
    ASSERT_TRUE(notepad.Activate());
    EXPECT_TRUE(Summon("ctrl+alt+j"));

    // Kept for the next start, written moments after OK.
    StoredSettings saved = m_stored;
    saved.summonHotkey = kCtrlAltJ;
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(OptionsFile()) == SettingsFileBytes(saved); }))
        << "the settings file does not hold Ctrl+Alt+J";
}

TEST_F(OptionsInUse, AKeyAnotherProgramHoldsIsRefusedByNameAndTheOldKeyStillSummons)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    const HeldHotkey held(MOD_CONTROL | MOD_ALT, 'K');
    ASSERT_TRUE(held.IsHeld());
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(SetHotkey(GetDlgItem(dialog, kSummonKeyControl), kCtrlAltK));
    ASSERT_TRUE(PostClick(GetDlgItem(dialog, IDOK)));

    HWND box = WaitForMessageBox(m_quillary->ProcessId(), dialog);
    ASSERT_NE(box, nullptr) << "OK took a key that another program holds without a word";
    EXPECT_NE(MessageBoxText(box).find(L"Ctrl+Alt+K"), std::wstring::npos)
        << "the message does not name the key: " << testing::PrintToString(MessageBoxText(box));
    ASSERT_TRUE(ClickButton(GetDlgItem(box, IDOK)));
    ASSERT_TRUE(WaitUntilGone(box));
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the dialog closed after the refusal";
    ASSERT_TRUE(CloseWith(dialog, IDCANCEL));

    ASSERT_TRUE(notepad.Activate());
    EXPECT_TRUE(Summon("ctrl+shift+f"));
}

TEST_F(OptionsInUse, ASmallerHistorySizeAsksFirstThenTrimsTheBottomAndCapsLaterCopies)
{
    std::vector<std::string> texts;
    std::vector<std::wstring> labels;
    for (int i = 0; i < 12; ++i) {
        texts.push_back("entry " + std::to_string(i));
        labels.push_back(L"entry " + std::to_wstring(i));
    }
    ASSERT_NO_FATAL_FAILURE(Start(texts));
    ASSERT_EQ(Labels(), labels) << "the prepared history did not load";
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(SetControlText(GetDlgItem(dialog, kHistorySizeEdit), L"10"));

    // Declined: every entry stays and so does the dialog.
    ASSERT_TRUE(PostClick(GetDlgItem(dialog, IDOK)));
    HWND question = WaitForMessageBox(m_quillary->ProcessId(), dialog);
    ASSERT_NE(question, nullptr) << "OK did not ask before dropping entries";
    // OK and Cancel: Esc answers it too.
    ASSERT_TRUE(ClickButton(GetDlgItem(question, IDCANCEL))) << "the question has no Cancel";
    ASSERT_TRUE(WaitUntilGone(question));
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the dialog closed after Cancel";
    EXPECT_EQ(Labels(), labels) << "entries went after Cancel";

    ASSERT_TRUE(PostClick(GetDlgItem(dialog, IDOK)));
    question = WaitForMessageBox(m_quillary->ProcessId(), dialog);
    ASSERT_NE(question, nullptr) << "OK did not ask again";
    ASSERT_TRUE(ClickButton(GetDlgItem(question, IDOK))) << "the question has no OK";
    ASSERT_TRUE(AfterDialog(dialog));
    labels.resize(10);
    EXPECT_EQ(Labels(), labels) << "not the bottom two that went";

    // Full at ten: a copy takes the place of the last row.
    ASSERT_TRUE(PutTextOnClipboard(L"newest"));
    labels.pop_back();
    labels.insert(labels.begin(), L"newest");
    EXPECT_TRUE(LabelsBecome(labels));
}

TEST_F(OptionsInUse, NoRepeatsMovesARepeatBelowTheTopZoneAndOnceOffARepeatIsAddedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start({"pinned", "b", "c", "d"}, 1));
    ASSERT_TRUE(Tick(kNoRepeatsCheck, BST_CHECKED));

    ASSERT_TRUE(PutTextOnClipboard(L"d"));
    EXPECT_TRUE(LabelsBecome({L"pinned", L"d", L"b", L"c"})) << "the repeat did not move up below the top zone";

    // A text the top zone holds stays where it is, and no row comes of it.
    ASSERT_TRUE(PutTextOnClipboard(L"pinned"));
    ASSERT_TRUE(CopiesHandled());
    EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"pinned", L"d", L"b", L"c"}));

    ASSERT_TRUE(Tick(kNoRepeatsCheck, BST_UNCHECKED));
    ASSERT_TRUE(PutTextOnClipboard(L"b"));
    EXPECT_TRUE(LabelsBecome({L"pinned", L"b", L"d", L"b", L"c"})) << "with the option off a repeat is a new row";
}

TEST_F(OptionsInUse, ACopiedPictureBecomesAnEntryThatSurvivesARestartAndPastesItsPixels)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(Tick(kRecordPicturesCheck, BST_CHECKED));
    const Picture picture = TestPicture();
    ASSERT_TRUE(PutPictureOnClipboard(picture));
    ASSERT_TRUE(LabelsBecome({L"Picture 7 x 5"}));
    EXPECT_EQ(RemoteListView(m_list).Item(0).value_or(ListItem{}).image, kPictureImage);

    ASSERT_NO_FATAL_FAILURE(Restart());
    // Reloaded as a bitmap of the screen's depth, labelled as such.
    const int depth = GetDeviceCaps(WindowDC(nullptr).Get(), BITSPIXEL);
    ASSERT_TRUE(LabelsBecome({L"Bitmap: 7x5 " + std::to_wstring(depth) + L"bits"}));
    EXPECT_EQ(RemoteListView(m_list).Item(0).value_or(ListItem{}).image, kPictureImage);

    PictureTarget target;
    ASSERT_TRUE(target.Activate()) << DescribeForeground();
    ASSERT_TRUE(Summon("ctrl+shift+f"));
    ASSERT_TRUE(SelectFirstRowByKey(m_list));
    ASSERT_TRUE(PressKeys("Return"));
    ASSERT_TRUE(WaitUntil([&] { return target.Pasted().has_value(); })) << "no Ctrl+V reached the picture target";
    EXPECT_EQ(*target.Pasted(), picture) << "the pasted picture differs from the copied one";
}

TEST_F(OptionsInUse, ACopyByAnIgnoredProgramIsNotRecorded)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenOptions();
    ASSERT_NE(dialog, nullptr);
    // Written as a user might: another name first, and the case of the letters changed.
    ASSERT_TRUE(SetControlText(GetDlgItem(dialog, kIgnoredProgramsEdit), L"keepass.exe\r\nIgnoredCopier.EXE"));
    ASSERT_TRUE(CloseWith(dialog, IDOK));

    IgnoredCopier copier;
    ASSERT_TRUE(copier.Copy(L"secret"));
    ASSERT_TRUE(CopiesHandled());
    EXPECT_EQ(Labels(), std::vector<std::wstring>{}) << "the ignored program's copy was recorded";

    // Other programs' copies are still recorded.
    ASSERT_TRUE(PutTextOnClipboard(L"copied elsewhere"));
    EXPECT_TRUE(LabelsBecome({L"copied elsewhere"}));
    EXPECT_TRUE(copier.End());
}

}  // namespace
