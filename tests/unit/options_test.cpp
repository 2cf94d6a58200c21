// The options dialog on its real template: data exchange both ways, the
// 1000-character limits, multi-line text, the compound-paste switch, and the
// copy in and out of the settings record.
#include <gtest/gtest.h>

#include "shell/OptionDlg.h"
#include "resource.h"

#include <string>

namespace {

ClipOptions Record(const wchar_t* before, const wchar_t* after, int autoRun, int compound)
{
    ClipOptions options;
    options.m_strBefore = before;
    options.m_strAfter = after;
    options.m_bAutoRun = autoRun;
    options.m_bCompoundPaste = compound;
    options.m_nEntryCount = 17;
    options.m_nTopCount = 3;
    options.m_rcWindow = RECT{1, 2, 301, 402};
    return options;
}

std::wstring TextOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void Pump(HWND dialog)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class OptionDialog : public testing::Test {
protected:
    void Open(const ClipOptions& options)
    {
        dialog.SetOptions(options);
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.ShowWindow(SW_SHOW);
        before = GetDlgItem(dialog.m_hWnd, IDC_EDIT_BEFORE);
        after = GetDlgItem(dialog.m_hWnd, IDC_EDIT_AFTER);
        compound = GetDlgItem(dialog.m_hWnd, IDC_CHECK_COMPOUND);
        autoRun = GetDlgItem(dialog.m_hWnd, IDC_CHECK_AUTORUN);
        ASSERT_TRUE(before && after && compound && autoRun);
    }

    COptionDlg dialog;
    HWND before = nullptr;
    HWND after = nullptr;
    HWND compound = nullptr;
    HWND autoRun = nullptr;
};

TEST_F(OptionDialog, OpensWithTheStoredSettingsAndLimitsBothEditsTo1000Characters)
{
    Open(Record(L"<b>\r\nline two", L"</b>", 1, 1));
    EXPECT_EQ(TextOf(before), L"<b>\r\nline two");
    EXPECT_EQ(TextOf(after), L"</b>");
    EXPECT_EQ(SendMessageW(autoRun, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(compound, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(before, EM_GETLIMITTEXT, 0, 0), 1000);
    EXPECT_EQ(SendMessageW(after, EM_GETLIMITTEXT, 0, 0), 1000);
    EXPECT_TRUE(IsWindowEnabled(before));
    EXPECT_TRUE(IsWindowEnabled(after));
    // The two push buttons are bound and keep their standard behaviour.
    EXPECT_EQ(dialog.m_btnOk.m_hWnd, GetDlgItem(dialog.m_hWnd, IDOK));
    EXPECT_EQ(dialog.m_btnCancel.m_hWnd, GetDlgItem(dialog.m_hWnd, IDCANCEL));
}

TEST_F(OptionDialog, CompoundPasteOffDisablesTheFilledEditsAndTickingEnablesThemAtOnce)
{
    Open(Record(L"[", L"]", 0, 0));
    EXPECT_FALSE(IsWindowEnabled(before));
    EXPECT_FALSE(IsWindowEnabled(after));
    EXPECT_EQ(TextOf(before), L"[");
    EXPECT_EQ(TextOf(after), L"]");

    SendMessageW(compound, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(compound, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(before));
    EXPECT_TRUE(IsWindowEnabled(after));

    SendMessageW(compound, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(before));
    EXPECT_FALSE(IsWindowEnabled(after));

    // Another control's click leaves them as they are.
    SendMessageW(autoRun, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(before));
}

TEST_F(OptionDialog, UpdateCompoundControlsFollowsTheCheckBoxAlone)
{
    Open(Record(L"", L"", 0, 1));
    SendMessageW(compound, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_TRUE(IsWindowEnabled(before));
    dialog.UpdateCompoundControls();
    EXPECT_FALSE(IsWindowEnabled(before));
    EXPECT_FALSE(IsWindowEnabled(after));
}

TEST_F(OptionDialog, TypingStopsAt1000CharactersInEitherEdit)
{
    Open(Record(L"", L"", 0, 1));
    for (HWND edit : {before, after}) {
        // Typing 1000 characters one by one is slow on a virtual display; start just below the limit.
        SetWindowTextW(edit, std::wstring(998, L'a').c_str());
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 998, 998);
        SendMessageW(edit, WM_CHAR, L'y', 1);
        SendMessageW(edit, WM_CHAR, L'z', 1);
        EXPECT_EQ(GetWindowTextLengthW(edit), 1000);
        SendMessageW(edit, WM_CHAR, L'!', 1);
        EXPECT_EQ(GetWindowTextLengthW(edit), 1000);
        EXPECT_EQ(TextOf(edit).substr(997), L"ayz");
    }
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strBefore.GetLength(), 1000);
    EXPECT_EQ(dialog.m_strAfter.GetLength(), 1000);
}

TEST_F(OptionDialog, EnterInAnEditStartsANewLineThatIsSavedAsCrLf)
{
    Open(Record(L"top", L"", 0, 1));
    SetFocus(before);
    SendMessageW(before, EM_SETSEL, 3, 3);
    // Through the dialog manager, as the modal loop delivers keys.
    PostMessageW(before, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(before, WM_KEYUP, VK_RETURN, 0xC0000001);
    Pump(dialog.m_hWnd);
    PostMessageW(before, WM_CHAR, L'x', 1);
    Pump(dialog.m_hWnd);
    ASSERT_TRUE(IsWindow(dialog.m_hWnd)) << "Enter pressed OK";
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strBefore, L"top\r\nx");
}

TEST_F(OptionDialog, SavingReadsEditsAndBoxesAlsoWhileTheEditsAreDisabled)
{
    Open(Record(L"old before", L"old after", 1, 1));
    SetWindowTextW(before, L"new\r\nbefore");
    SetWindowTextW(after, L"new after");
    SendMessageW(autoRun, BM_CLICK, 0, 0);
    SendMessageW(compound, BM_CLICK, 0, 0);
    ASSERT_FALSE(IsWindowEnabled(before));
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strBefore, L"new\r\nbefore");
    EXPECT_EQ(dialog.m_strAfter, L"new after");
    EXPECT_EQ(dialog.m_bAutoRun, 0);
    EXPECT_EQ(dialog.m_bCompoundPaste, 0);
}

TEST(OptionRecord, SetAndGetCopyTheFourSettingsAndLeaveTheRestOfTheRecord)
{
    COptionDlg dialog;
    dialog.SetOptions(Record(L"B", L"A", 1, 0));
    EXPECT_EQ(dialog.m_strBefore, L"B");
    EXPECT_EQ(dialog.m_strAfter, L"A");
    EXPECT_EQ(dialog.m_bAutoRun, 1);
    EXPECT_EQ(dialog.m_bCompoundPaste, 0);

    dialog.m_strBefore = L"before\r\n";
    dialog.m_strAfter = L"\r\nafter";
    dialog.m_bAutoRun = 0;
    dialog.m_bCompoundPaste = 1;
    ClipOptions target;
    target.m_nEntryCount = 99;
    target.m_nTopCount = 5;
    target.m_rcWindow = RECT{7, 8, 9, 10};
    dialog.GetOptions(&target);
    EXPECT_EQ(target.m_strBefore, L"before\r\n");
    EXPECT_EQ(target.m_strAfter, L"\r\nafter");
    EXPECT_EQ(target.m_bAutoRun, 0);
    EXPECT_EQ(target.m_bCompoundPaste, 1);
    EXPECT_EQ(target.m_nEntryCount, 99);
    EXPECT_EQ(target.m_nTopCount, 5);
    EXPECT_EQ(target.m_rcWindow.left, 7);
    EXPECT_EQ(target.m_rcWindow.top, 8);
    EXPECT_EQ(target.m_rcWindow.right, 9);
    EXPECT_EQ(target.m_rcWindow.bottom, 10);
}

// Runs the dialog modally; a timer inside its loop notes whether it is on
// screen and presses one of its buttons.
struct ModalSeen {
    bool found = false;
    bool visible = false;
};
ModalSeen g_modal;
int g_button = IDOK;

BOOL CALLBACK FindOptions(HWND window, LPARAM found)
{
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    if (lstrcmpW(title, L"Option") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PressButton(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOptions, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    g_modal.found = true;
    g_modal.visible = IsWindowVisible(dialog) != FALSE;
    SetWindowTextW(GetDlgItem(dialog, IDC_EDIT_AFTER), L"typed");
    PostMessageW(GetDlgItem(dialog, g_button), BM_CLICK, 0, 0);
}

INT_PTR RunPressing(COptionDlg& dialog, int button)
{
    g_modal = ModalSeen();
    g_button = button;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, PressButton);
    INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, timer);
    return result;
}

TEST(OptionModal, OkEndsWithIdokAndTheEditedValuesCancelWithIdcancelAndTheOldOnes)
{
    COptionDlg ok;
    ok.SetOptions(Record(L"b", L"a", 0, 1));
    EXPECT_EQ(RunPressing(ok, IDOK), IDOK);
    EXPECT_TRUE(g_modal.found);
    EXPECT_TRUE(g_modal.visible) << "the modal dialog is not on screen";
    EXPECT_EQ(ok.m_strAfter, L"typed");

    COptionDlg cancel;
    cancel.SetOptions(Record(L"b", L"a", 0, 1));
    EXPECT_EQ(RunPressing(cancel, IDCANCEL), IDCANCEL);
    EXPECT_EQ(cancel.m_strAfter, L"a");
}

}  // namespace
