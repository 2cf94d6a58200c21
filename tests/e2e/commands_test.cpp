// The commands as the menus send them: the options dialog with start-with-Windows, the
// About box from the tray menu and the system menu, the list commands on the selection,
// Help, and the tray icon itself clicked with the mouse.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/Mouse.h"
#include "tests/e2e/Notepad.h"
#include "tests/e2e/NotificationArea.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/RunKey.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr WORD kSetTopCommand = 32775;
constexpr WORD kDeleteCommand = 32776;
constexpr WORD kAboutCommand = 32780;
constexpr WORD kHelpCommand = 32782;
constexpr WORD kPauseCommand = 32784;
constexpr WPARAM kSystemMenuAbout = 16;

constexpr wchar_t kAboutTitle[] = L"About Quillary";
constexpr wchar_t kTrayTip[] = L"Quillary ^_^";
constexpr wchar_t kPausedTrayTip[] = L"Quillary: recording paused";
constexpr wchar_t kRunValueName[] = L"Quillary";
constexpr wchar_t kMenuClass[] = L"#32768";

constexpr int kOkButton = IDOK;
constexpr int kCancelButton = IDCANCEL;
constexpr int kBeforeEdit = 1006;
constexpr int kAutoRunCheck = 1007;
constexpr int kAfterEdit = 1008;
constexpr int kCompoundCheck = 1009;
constexpr int kSupportLink = 1017;
constexpr int kHomeLink = 1019;

constexpr int kTextImage = 0;
constexpr int kTopTextImage = 2;

struct Row {
    std::wstring label;
    int image;
};

// A copy started from a fresh folder; a settings file can be laid there before the start.
class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NoWindowTitledLikeThePopup());
        ASSERT_TRUE(CreateDirectoryW(DataFolder().c_str(), nullptr));
    }

    std::wstring DataFolder() const { return m_folder.Child(kDataFolderName); }
    std::wstring OptionsFile() const { return DataFolder() + L"\\" + kOptionsFileName; }
    std::wstring HistoryFile() const { return DataFolder() + L"\\" + kHistoryFileName; }

    void StartCopy()
    {
        ASSERT_TRUE(m_quillary.Start());
        m_popup = m_quillary.WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
        ASSERT_NE(m_list, nullptr);
    }

    void Command(WORD id) const { PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Posts the command and waits for the dialog that it opens.
    HWND OpenDialog(WORD command, const wchar_t* title) const
    {
        Command(command);
        return WaitForDialog(m_quillary.ProcessId(), title);
    }

    // Clicks a button that ends the dialog, and waits until the command that opened it is done.
    ::testing::AssertionResult CloseWith(HWND dialog, int button) const
    {
        if (!ClickButton(GetDlgItem(dialog, button)))
            return ::testing::AssertionFailure() << "button " << button << " does not answer";
        if (!WaitUntilGone(dialog))
            return ::testing::AssertionFailure() << "the dialog stays open after button " << button;
        // Once the popup answers, its main loop is back: the command has finished.
        if (!Settle(m_popup))
            return ::testing::AssertionFailure() << "the popup does not answer after the dialog";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult Capture(const std::wstring& text) const
    {
        const RemoteListView listView(m_list);
        const int before = listView.ItemCount();
        if (auto put = PutTextOnClipboard(text); !put)
            return put;
        if (!WaitUntil([&] { return listView.ItemCount() == before + 1; }))
            return ::testing::AssertionFailure() << "the list did not grow from " << before << " after a copy";
        return ::testing::AssertionSuccess();
    }

    void ExpectRows(const std::vector<Row>& expected) const
    {
        const RemoteListView listView(m_list);
        ASSERT_EQ(listView.ItemCount(), static_cast<int>(expected.size()));
        for (size_t index = 0; index < expected.size(); ++index) {
            SCOPED_TRACE(testing::Message() << "row " << index);
            const std::optional<ListItem> item = listView.Item(static_cast<int>(index));
            ASSERT_TRUE(item.has_value());
            EXPECT_EQ(item->text, expected[index].label);
            EXPECT_EQ(item->image, expected[index].image);
            EXPECT_EQ(item->state & LVIS_SELECTED, 0u) << "still selected";
        }
    }

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

// When the file was last written, as a 64-bit count; 0 when it cannot be read.
ULONGLONG LastWriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// The start-with-Windows value lives in the machine's Run key, or in the user's when the
// machine's cannot be written; every case starts and ends with neither holding it.
class Options : public Commands {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DeleteRunValue(HKEY_LOCAL_MACHINE, kRunValueName));
        ASSERT_TRUE(DeleteRunValue(HKEY_CURRENT_USER, kRunValueName));
        Commands::SetUp();
        if (HasFatalFailure())
            return;
        m_stored.before = "[";
        m_stored.after = "]";
        m_stored.window = {120, 90, 330, 400};
        ASSERT_TRUE(WriteFileBytes(OptionsFile(), SettingsFileBytes(m_stored)));
        StartCopy();
    }

    void TearDown() override
    {
        m_quillary.End();
        DeleteRunValue(HKEY_LOCAL_MACHINE, kRunValueName);
        DeleteRunValue(HKEY_CURRENT_USER, kRunValueName);
    }

    // Where the Run value is, if anywhere.
    static std::optional<RegistryValue> RunValue(HKEY& where)
    {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            if (std::optional<RegistryValue> value = ReadRunValue(root, kRunValueName)) {
                where = root;
                return value;
            }
        }
        return std::nullopt;
    }

    StoredSettings m_stored;
};

TEST_F(Options, DialogShowsTheStoredStringsDisabledUntilCompoundPasteIsTicked)
{
    HWND dialog = OpenDialog(kOptionCommand, kOptionTitle);
    ASSERT_NE(dialog, nullptr) << "command 32771 opened no dialog titled \"Option\"";
    EXPECT_FALSE(IsWindowEnabled(m_popup)) << "the popup takes input while the dialog is open";

    HWND before = GetDlgItem(dialog, kBeforeEdit);
    HWND after = GetDlgItem(dialog, kAfterEdit);
    HWND compound = GetDlgItem(dialog, kCompoundCheck);
    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    ASSERT_NE(compound, nullptr);
    EXPECT_EQ(ControlText(before), L"[");
    EXPECT_EQ(ControlText(after), L"]");
    EXPECT_FALSE(IsWindowEnabled(before));
    EXPECT_FALSE(IsWindowEnabled(after));
    EXPECT_EQ(CheckState(compound), BST_UNCHECKED);
    EXPECT_EQ(CheckState(GetDlgItem(dialog, kAutoRunCheck)), BST_UNCHECKED);

    ASSERT_TRUE(ClickButton(compound));
    EXPECT_EQ(CheckState(compound), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(before));
    EXPECT_TRUE(IsWindowEnabled(after));

    ASSERT_TRUE(ClickButton(compound));
    EXPECT_FALSE(IsWindowEnabled(before));
    EXPECT_FALSE(IsWindowEnabled(after));
    EXPECT_EQ(ControlText(before), L"[") << "turning compound paste off must keep the strings";

    ASSERT_TRUE(CloseWith(dialog, kCancelButton));
    EXPECT_TRUE(IsWindowEnabled(m_popup));
}

TEST_F(Options, OkSavesTheSettingsAtOnceAndWritesOrRemovesTheRunValue)
{
    HWND dialog = OpenDialog(kOptionCommand, kOptionTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(GetDlgItem(dialog, kCompoundCheck)));
    ASSERT_TRUE(ClickButton(GetDlgItem(dialog, kAutoRunCheck)));
    ASSERT_TRUE(CloseWith(dialog, kOkButton));

    StoredSettings saved = m_stored;
    saved.compoundPaste = 1;
    saved.autoRun = 1;
    // Written beside the popup, moments after OK.
    const auto expected = SettingsFileBytes(saved);
    WaitUntil([&] { return ReadFileBytes(OptionsFile()) == expected; });
    EXPECT_EQ(ReadFileBytes(OptionsFile()), expected) << "the settings file after OK";
    HKEY where = nullptr;
    std::optional<RegistryValue> value = RunValue(where);
    ASSERT_TRUE(value.has_value()) << "no value \"Quillary\" in either Run key";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << RootName(where);
    EXPECT_EQ(value->text, m_quillary.ExecutablePath()) << RootName(where);
    EXPECT_TRUE(m_quillary.IsRunning());

    // A value left in the other key from an earlier run goes too.
    const HKEY other = where == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(WriteRunValue(other, kRunValueName, m_quillary.ExecutablePath()));

    dialog = OpenDialog(kOptionCommand, kOptionTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CheckState(GetDlgItem(dialog, kCompoundCheck)), BST_CHECKED);
    EXPECT_EQ(CheckState(GetDlgItem(dialog, kAutoRunCheck)), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kBeforeEdit)));
    ASSERT_TRUE(ClickButton(GetDlgItem(dialog, kAutoRunCheck)));
    ASSERT_TRUE(CloseWith(dialog, kOkButton));

    saved.autoRun = 0;
    WaitUntil([&] { return ReadFileBytes(OptionsFile()) == SettingsFileBytes(saved); });
    EXPECT_EQ(ReadFileBytes(OptionsFile()), SettingsFileBytes(saved));
    EXPECT_FALSE(ReadRunValue(HKEY_LOCAL_MACHINE, kRunValueName).has_value()) << "HKLM keeps the value";
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, kRunValueName).has_value()) << "HKCU keeps the value";
}

TEST_F(Options, CancelChangesNothing)
{
    const std::string stored = ReadFileBytes(OptionsFile());
    ASSERT_EQ(stored, SettingsFileBytes(m_stored));
    // Rewriting the same bytes would be a write all the same.
    const ULONGLONG written = LastWriteTime(OptionsFile());
    ASSERT_NE(written, 0u);
    const std::vector<std::wstring> entries = FolderEntries(DataFolder());

    HWND dialog = OpenDialog(kOptionCommand, kOptionTitle);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(GetDlgItem(dialog, kCompoundCheck)));
    ASSERT_TRUE(ClickButton(GetDlgItem(dialog, kAutoRunCheck)));
    ASSERT_TRUE(SetControlText(GetDlgItem(dialog, kBeforeEdit), L"changed before"));
    ASSERT_TRUE(SetControlText(GetDlgItem(dialog, kAfterEdit), L"changed after"));
    ASSERT_TRUE(CloseWith(dialog, kCancelButton));

    EXPECT_EQ(ReadFileBytes(OptionsFile()), stored);
    EXPECT_EQ(LastWriteTime(OptionsFile()), written) << "the settings file was written again";
    EXPECT_EQ(FolderEntries(DataFolder()), entries) << "files came or went in the data folder";
    HKEY where = nullptr;
    EXPECT_FALSE(RunValue(where).has_value()) << "a Run value appeared in " << RootName(where);

    // Nor did the running copy take the changes: the dialog shows the stored values again.
    dialog = OpenDialog(kOptionCommand, kOptionTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(GetDlgItem(dialog, kBeforeEdit)), L"[");
    EXPECT_EQ(ControlText(GetDlgItem(dialog, kAfterEdit)), L"]");
    EXPECT_EQ(CheckState(GetDlgItem(dialog, kCompoundCheck)), BST_UNCHECKED);
    EXPECT_EQ(CheckState(GetDlgItem(dialog, kAutoRunCheck)), BST_UNCHECKED);
    ASSERT_TRUE(CloseWith(dialog, kCancelButton));
    EXPECT_EQ(ReadFileBytes(OptionsFile()), stored);
    EXPECT_EQ(LastWriteTime(OptionsFile()), written);
}

TEST_F(Commands, AboutOpensFromTheTrayCommandAndTheSystemMenuWithBothLinks)
{
    StartCopy();
    struct Way {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Way ways[] = {{"command 32780", WM_COMMAND, MAKEWPARAM(kAboutCommand, 0)},
                        {"the system menu item", WM_SYSCOMMAND, kSystemMenuAbout},
                        {"command 32780 again", WM_COMMAND, MAKEWPARAM(kAboutCommand, 0)}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        PostMessageW(m_popup, way.message, way.wParam, 0);
        HWND dialog = WaitForDialog(m_quillary.ProcessId(), kAboutTitle);
        ASSERT_NE(dialog, nullptr) << "no dialog titled \"About Quillary\"";
        EXPECT_FALSE(IsWindowEnabled(m_popup)) << "the popup takes input while About is open";
        HWND support = GetDlgItem(dialog, kSupportLink);
        HWND home = GetDlgItem(dialog, kHomeLink);
        ASSERT_NE(support, nullptr);
        ASSERT_NE(home, nullptr);
        EXPECT_TRUE(IsWindowVisible(support));
        EXPECT_TRUE(IsWindowVisible(home));
        EXPECT_EQ(ControlText(support).rfind(L"support: ", 0), 0u) << "the support link reads something else";
        EXPECT_FALSE(ControlText(home).empty());
        EXPECT_NE(FindChildWithText(dialog, L"Ver 1.3"), nullptr) << "no version line";
        ASSERT_TRUE(CloseWith(dialog, kOkButton));
        EXPECT_TRUE(IsWindowEnabled(m_popup));
        EXPECT_TRUE(m_quillary.IsRunning());
    }
}

TEST_F(Commands, SetTopDeleteAndClearAllActOnTheSelection)
{
    StartCopy();
    for (const wchar_t* text : {L"t0", L"t1", L"t2", L"t3", L"t4"})
        ASSERT_TRUE(Capture(text));
    ExpectRows({{L"t4", kTextImage}, {L"t3", kTextImage}, {L"t2", kTextImage}, {L"t1", kTextImage},
                {L"t0", kTextImage}});

    ASSERT_TRUE(SelectOnlyRows(m_list, {1, 3}));
    ASSERT_TRUE(SendCommand(m_popup, kSetTopCommand));
    ExpectRows({{L"t3", kTopTextImage}, {L"t1", kTopTextImage}, {L"t4", kTextImage}, {L"t2", kTextImage},
                {L"t0", kTextImage}});

    // One entry inside the top zone and one below it.
    ASSERT_TRUE(SelectOnlyRows(m_list, {0, 3}));
    ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
    ExpectRows({{L"t1", kTopTextImage}, {L"t4", kTextImage}, {L"t0", kTextImage}});
    // The top zone shrank to one entry: the next capture lands below it.
    ASSERT_TRUE(Capture(L"t5"));
    ExpectRows({{L"t1", kTopTextImage}, {L"t5", kTextImage}, {L"t4", kTextImage}, {L"t0", kTextImage}});

    // With nothing selected the entry commands leave the list alone.
    ASSERT_TRUE(SelectOnlyRows(m_list, {}));
    ASSERT_TRUE(SendCommand(m_popup, kSetTopCommand));
    ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
    ExpectRows({{L"t1", kTopTextImage}, {L"t5", kTextImage}, {L"t4", kTextImage}, {L"t0", kTextImage}});

    ASSERT_TRUE(SelectOnlyRows(m_list, {2}));
    ASSERT_TRUE(SendCommand(m_popup, kClearAllCommand));
    EXPECT_EQ(RemoteListView(m_list).ItemCount(), 0);
    // The top zone went with it.
    ASSERT_TRUE(Capture(L"t6"));
    ExpectRows({{L"t6", kTextImage}});
    EXPECT_TRUE(m_quillary.IsRunning());
}

// Visible top-level windows of every program on the desktop, apart from tooltips, which
// come and go with the mouse.
std::set<HWND> VisibleTopLevelWindows()
{
    std::set<HWND> visible;
    for (HWND window : FindTopLevelWindows(0, nullptr, nullptr)) {
        if (IsWindowVisible(window) && ClassName(window) != TOOLTIPS_CLASSW)
            visible.insert(window);
    }
    return visible;
}

TEST_F(Commands, HelpFileLiesBesideTheBuiltProgram)
{
    std::wstring product = ProductPath();
    const std::wstring help = product.substr(0, product.rfind(L'\\') + 1) + L"help.chm";
    ASSERT_TRUE(PathExists(help)) << "no help.chm beside the built quillary.exe";
    // A compiled HTML help file begins with the signature "ITSF".
    EXPECT_EQ(ReadFileBytes(help).substr(0, 4), "ITSF");
}

// Closes a window of another program and, if it will not go, ends its process.
void CloseProgramWindow(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitUntilGone(window))
        return;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, static_cast<DWORD>(kWaitTimeout.count()));
        CloseHandle(process);
    }
}

TEST_F(Commands, HelpOpensTheHelpFileBesideTheProgramInAFolderWithSpaces)
{
    const std::wstring folder = m_folder.Child(L"folder with spaces");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring product = ProductPath();
    const std::wstring help = product.substr(0, product.rfind(L'\\') + 1) + L"help.chm";
    ASSERT_TRUE(CopyFileW(help.c_str(), (folder + L"\\help.chm").c_str(), TRUE));
    ProcessUnderTest quillary(folder);
    ASSERT_TRUE(quillary.Start());
    HWND popup = quillary.WaitForPopup();
    ASSERT_NE(popup, nullptr);

    ASSERT_TRUE(SendCommand(popup, kHelpCommand));
    // The help viewer, a program of its own, shows the file.
    HWND viewer = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        for (HWND window : FindTopLevelWindows(0, L"HH Parent", nullptr)) {
            if (IsWindowVisible(window))
                viewer = window;
        }
        return viewer != nullptr;
    })) << "no help viewer window appeared";
    if (viewer)
        CloseProgramWindow(viewer);
    EXPECT_TRUE(quillary.IsRunning());
}

TEST_F(Commands, HelpWithoutAHelpFileChangesNothing)
{
    StartCopy();
    ASSERT_FALSE(PathExists(m_folder.Child(L"help.chm")));
    const std::set<HWND> before = VisibleTopLevelWindows();
    ASSERT_TRUE(SendCommand(m_popup, kHelpCommand));
    std::vector<HWND> appeared;
    const bool changed = WaitUntil(
        [&] {
            appeared.clear();
            for (HWND window : VisibleTopLevelWindows()) {
                if (!before.count(window))
                    appeared.push_back(window);
            }
            return !appeared.empty();
        },
        std::chrono::milliseconds(2000));
    EXPECT_FALSE(changed) << "a window appeared: " << DescribeWindow(appeared.empty() ? nullptr : appeared.front());
    EXPECT_TRUE(m_quillary.IsRunning());
    EXPECT_TRUE(IsWindowVisible(m_popup));
    EXPECT_TRUE(IsWindowEnabled(m_popup));
}

TEST_F(Commands, PauseRecordsNothingSaysSoInTheTrayAndIsForgottenAtTheNextStart)
{
    StartCopy();
    ASSERT_TRUE(Capture(L"before"));
    Command(kPauseCommand);
    ASSERT_TRUE(WaitUntil([] { return FindNotificationIcon(kPausedTrayTip).has_value(); }))
        << "the tray icon does not say that recording is paused";
    ASSERT_TRUE(PutTextOnClipboard(L"while paused"));
    ASSERT_TRUE(Settle(m_popup));
    Command(kPauseCommand);
    ASSERT_TRUE(WaitUntil([] { return FindNotificationIcon(kTrayTip).has_value(); }));
    // The copy after the pause is the next row: the one made during it was never recorded.
    ASSERT_TRUE(Capture(L"after"));
    ExpectRows({{L"after", kTextImage}, {L"before", kTextImage}});

    Command(kPauseCommand);
    ASSERT_TRUE(WaitUntil([] { return FindNotificationIcon(kPausedTrayTip).has_value(); }));
    Command(kExitCommand);
    ASSERT_TRUE(m_quillary.WaitForExit().has_value());
    ProcessUnderTest restarted{m_folder.Path()};
    ASSERT_TRUE(restarted.Start());
    m_popup = restarted.WaitForPopup();
    ASSERT_NE(m_popup, nullptr);
    m_list = GetDlgItem(m_popup, kHistoryListId);
    EXPECT_TRUE(WaitUntil([] { return FindNotificationIcon(kTrayTip).has_value(); }));
    EXPECT_FALSE(FindNotificationIcon(kPausedTrayTip).has_value());
    EXPECT_TRUE(Capture(L"restarted"));
}

// The tray icon, clicked with the mouse on the taskbar of the virtual desktop.
class TrayIcon : public Commands {
protected:
    void SetUp() override
    {
        Commands::SetUp();
        if (HasFatalFailure())
            return;
        StartCopy();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(WaitUntil([&] { return (m_icon = FindNotificationIcon(kTrayTip)).has_value(); }))
            << "no icon with the tip \"Quillary ^_^\" in the notification area";
        PostMessageW(m_popup, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    }

    // Right click on the icon; the tray menu that opens, a menu window of the product.
    HWND OpenTrayMenu() const
    {
        if (!RightClickAt(CenterOf(*m_icon)))
            return nullptr;
        HWND menu = nullptr;
        WaitUntil([&] { return (menu = VisibleMenu()) != nullptr; });
        return menu;
    }

    HWND VisibleMenu() const
    {
        for (HWND window : FindTopLevelWindows(m_quillary.ProcessId(), kMenuClass, nullptr)) {
            if (IsWindowVisible(window))
                return window;
        }
        return nullptr;
    }

    std::optional<RECT> m_icon;
};

TEST_F(TrayIcon, LeftClickSummonsThePopupWithItsListFocused)
{
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());
    ASSERT_TRUE(ClickAt(CenterOf(*m_icon)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_popup) && FocusInThreadOf(m_popup) == m_list; }))
        << "after a left click on the tray icon: popup visible " << (IsWindowVisible(m_popup) != FALSE) << ", "
        << DescribeForeground();
    EXPECT_TRUE(IsTopMost(m_popup));
    EXPECT_EQ(VisibleMenu(), nullptr) << "a left click opened a menu";
}

TEST_F(TrayIcon, RightClickOpensTheTrayMenuWhoseExitSavesAndEnds)
{
    ASSERT_TRUE(Capture(L"kept"));
    // The first item is "Option...".
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr) << "a right click on the tray icon opened no menu";
    const RECT first = WindowRect(menu);
    ASSERT_TRUE(ClickAt(POINT{(first.left + first.right) / 2, first.top + 6}));
    HWND dialog = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
    ASSERT_NE(dialog, nullptr) << "the menu's first item did not open the options";
    ASSERT_TRUE(CloseWith(dialog, kCancelButton));

    // The last item is "Exit", taken while the popup is hidden.
    menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr) << "the second right click opened no menu";
    const RECT last = WindowRect(menu);
    StoredSettings atExit;
    atExit.entryCount = 1;
    atExit.window = WindowRect(m_popup);
    ASSERT_TRUE(ClickAt(POINT{(last.left + last.right) / 2, last.bottom - 6}));
    ASSERT_TRUE(m_quillary.WaitForExit().has_value()) << "still running after Exit in the tray menu";
    EXPECT_EQ(ReadFileBytes(HistoryFile()), TextRecordBytes("kept"));
    EXPECT_EQ(ReadFileBytes(OptionsFile()), SettingsFileBytes(atExit));
    EXPECT_FALSE(FindNotificationIcon(kTrayTip).has_value()) << "the tray icon stays after Exit";
}

}  // namespace
