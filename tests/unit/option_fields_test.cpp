// The Option dialog's newer settings: every text fits at the font the system
// substitutes, the record goes in and comes back with a clean program list,
// and OK refuses a size out of range or a summon key it cannot have, naming
// the key, while the dialog stays open.
#include <gtest/gtest.h>

#include "resource.h"
#include "shell/OptionDlg.h"
#include "shell/PasteKeysDlg.h"
#include "shell/SummonHotkey.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr int kCtrlShiftF9 = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr int kCtrlShiftF10 = MAKEWORD(VK_F10, HOTKEYF_CONTROL | HOTKEYF_SHIFT);

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The message box that a timer finds in front of the dialog: its text, and it is closed.
std::wstring g_message;

BOOL CALLBACK ReadText(HWND child, LPARAM)
{
    g_message += TextOf(child);
    return TRUE;
}

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = GetActiveWindow();
    if (!box || GetDlgItem(box, IDC_HOTKEY_SUMMON) || GetDlgItem(box, IDC_LIST_PASTE_KEYS) || !g_message.empty())
        return;
    EnumChildWindows(box, ReadText, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class OptionFields : public testing::Test {
protected:
    void Open(const ClipOptions& options)
    {
        dialog.SetOptions(options);
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.ShowWindow(SW_SHOW);
    }
    HWND Item(int id) const { return GetDlgItem(dialog.m_hWnd, id); }
    // Clicks OK; returns the text of the message box it brought up, if any.
    std::wstring PressOk()
    {
        g_message.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMessageBox);
        SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
        KillTimer(nullptr, timer);
        return g_message;
    }
    bool Closed() const { return !IsWindow(dialog.m_hWnd); }

    COptionDlg dialog;
};

// Every label and button text of a dialog fits its control in the dialog's font (labels may wrap
// within their height); returns how many were measured.
int ExpectTextsFit(HWND dialog)
{
    HDC dc = GetDC(dialog);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    int measured = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t type[16] = {};
        GetClassNameW(child, type, 16);
        const std::wstring text = TextOf(child);
        const bool label = lstrcmpiW(type, L"Static") == 0;
        if (text.empty() || (!label && lstrcmpiW(type, L"Button") != 0))
            continue;
        RECT room;
        GetClientRect(child, &room);
        // A check box's square and gap, or a push button's frame and focus margin.
        const LONG_PTR kind = GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
        if (!label)
            room.right -= kind == BS_AUTOCHECKBOX ? GetSystemMetrics(SM_CXMENUCHECK) + 2 * GetSystemMetrics(SM_CXEDGE)
                                                  : 4 * GetSystemMetrics(SM_CXEDGE);
        RECT extent = {0, 0, room.right, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
                  DT_CALCRECT | (label ? DT_WORDBREAK : DT_SINGLELINE));
        EXPECT_LE(extent.right, room.right) << "cut off: " << std::string(text.begin(), text.end());
        EXPECT_LE(extent.bottom, room.bottom) << "cut off at the bottom: " << std::string(text.begin(), text.end());
        ++measured;
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return measured;
}

TEST_F(OptionFields, EveryTextFitsItsControlInTheDialogsFont)
{
    Open(ClipOptions());
    EXPECT_EQ(ExpectTextsFit(dialog.m_hWnd), 24)
        << "Ok, Cancel, Paste keys..., the folder button, nine check boxes and eleven labels";
    CPasteKeysDlg keys;
    ASSERT_TRUE(keys.Create(nullptr));
    EXPECT_EQ(ExpectTextsFit(keys.m_hWnd), 7) << "Add, Remove, Ok, Cancel and three labels";
    keys.DestroyWindow();
}

TEST_F(OptionFields, ShowTheRecordAndGiveBackTheEditsWithACleanProgramList)
{
    ClipOptions stored;
    stored.m_nSummonHotkey = kCtrlShiftF9;
    stored.m_nHistorySize = 250;
    stored.m_bNoRepeats = 1;
    stored.m_strIgnoredPrograms = L"keepass.exe\r\nputty.exe";
    stored.m_nTopCount = 3;
    Open(stored);
    EXPECT_EQ(SendMessageW(Item(IDC_HOTKEY_SUMMON), HKM_GETHOTKEY, 0, 0), kCtrlShiftF9);
    EXPECT_EQ(TextOf(Item(IDC_EDIT_HISTORY_SIZE)), L"250");
    EXPECT_EQ(SendMessageW(Item(IDC_CHECK_NO_REPEATS), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(TextOf(Item(IDC_EDIT_IGNORED_PROGRAMS)), L"keepass.exe\r\nputty.exe");

    SendMessageW(Item(IDC_HOTKEY_SUMMON), HKM_SETHOTKEY, kCtrlShiftF10, 0);
    SetWindowTextW(Item(IDC_EDIT_HISTORY_SIZE), L"42");
    SendMessageW(Item(IDC_CHECK_NO_REPEATS), BM_CLICK, 0, 0);
    SendMessageW(Item(IDC_CHECK_RECORD_PICTURES), BM_CLICK, 0, 0);
    SetWindowTextW(Item(IDC_EDIT_IGNORED_PROGRAMS), L"  tokens.exe \r\n\r\nC:\\x\\TOKENS.EXE\r\n\"C:\\a b\\c.exe\"");
    EXPECT_EQ(PressOk(), L"");
    ASSERT_TRUE(Closed());
    ClipOptions record = stored;
    dialog.GetOptions(&record);
    EXPECT_EQ(record.m_nSummonHotkey, kCtrlShiftF10);
    EXPECT_EQ(record.m_nHistorySize, 42);
    EXPECT_EQ(record.m_bNoRepeats, 0);
    EXPECT_EQ(record.m_bRecordPictures, 1);
    EXPECT_EQ(record.m_strIgnoredPrograms, L"tokens.exe\r\nC:\\a b\\c.exe");
    EXPECT_EQ(record.m_nTopCount, 3);
}

TEST_F(OptionFields, OkRefusesASizeOutOfRangeOrAKeyItCannotHaveAndKeepsTheKeyInForce)
{
    HWND popup = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 1, MOD_ALT | MOD_SHIFT, VK_F11));
    SummonHotkey summon;
    ASSERT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Registered);
    dialog.SetSummonHotkey(&summon);
    Open(ClipOptions());
    HWND size = Item(IDC_EDIT_HISTORY_SIZE);
    HWND hotkey = Item(IDC_HOTKEY_SUMMON);

    // A size out of range stops OK before the key is touched.
    SendMessageW(hotkey, HKM_SETHOTKEY, kCtrlShiftF10, 0);
    for (const wchar_t* wrong : {L"9", L"10001", L""}) {
        SetWindowTextW(size, wrong);
        EXPECT_NE(PressOk().find(L"from 10 to 10000"), std::wstring::npos) << "no message for \"" << wrong << "\"";
        ASSERT_FALSE(Closed());
        EXPECT_EQ(GetFocus(), size);
    }
    EXPECT_EQ(summon.Key(), kCtrlShiftF9);
    SetWindowTextW(size, L"10");
    // Days out of range are refused only while forgetting is ticked.
    HWND days = Item(IDC_EDIT_FORGET_DAYS);
    SetWindowTextW(days, L"0");
    SendMessageW(Item(IDC_CHECK_FORGET_OLD), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(days));
    for (const wchar_t* wrong : {L"0", L"366", L""}) {
        SetWindowTextW(days, wrong);
        EXPECT_NE(PressOk().find(L"from 1 to 365"), std::wstring::npos) << "no message for \"" << wrong << "\"";
        ASSERT_FALSE(Closed());
        EXPECT_EQ(GetFocus(), days);
    }
    SetWindowTextW(days, L"14");

    SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD(VK_F11, HOTKEYF_ALT | HOTKEYF_SHIFT), 0);
    const std::wstring taken = PressOk();
    EXPECT_NE(taken.find(L"Alt+Shift+F11 is already taken"), std::wstring::npos) << "the held key is not named";
    EXPECT_NE(taken.find(L"Ctrl+Shift+F9 stays"), std::wstring::npos);
    SendMessageW(hotkey, HKM_SETHOTKEY, VK_F10, 0);
    EXPECT_NE(PressOk().find(L"F10 cannot summon"), std::wstring::npos);
    ASSERT_FALSE(Closed());
    EXPECT_EQ(summon.Key(), kCtrlShiftF9);
    EXPECT_FALSE(RegisterHotKey(other, 2, MOD_CONTROL | MOD_SHIFT, VK_F9)) << "the key in force was let go";

    SendMessageW(hotkey, HKM_SETHOTKEY, kCtrlShiftF10, 0);
    EXPECT_EQ(PressOk(), L"");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(summon.Key(), kCtrlShiftF10);
    EXPECT_EQ(dialog.m_nSummonHotkey, kCtrlShiftF10);
    EXPECT_EQ(dialog.m_nHistorySize, 10);
    ClipOptions record;
    dialog.GetOptions(&record);
    EXPECT_EQ(record.m_nForgetDays, 14);
    EXPECT_TRUE(RegisterHotKey(other, 2, MOD_CONTROL | MOD_SHIFT, VK_F9)) << "the old key is still held";

    UnregisterHotKey(other, 1);
    UnregisterHotKey(other, 2);
    summon.Unregister();
    DestroyWindow(popup);
    DestroyWindow(other);
}

// The paste keys: a program typed with its folder or in other letters is the same program, so
// adding it again changes its key; Remove takes the selected one; a blank name is refused; OK
// takes a program typed but not added yet.
TEST(PasteKeysDialog, AddsChangesRemovesAndRefusesABlankName)
{
    CPasteKeysDlg keys;
    keys.SetRules({{L"putty.exe", PasteKey::ShiftInsert}});
    ASSERT_TRUE(keys.Create(nullptr));
    keys.ShowWindow(SW_SHOW);
    HWND list = GetDlgItem(keys.m_hWnd, IDC_LIST_PASTE_KEYS);
    HWND program = GetDlgItem(keys.m_hWnd, IDC_EDIT_PASTE_PROGRAM);
    HWND key = GetDlgItem(keys.m_hWnd, IDC_COMBO_PASTE_KEY);
    const auto add = [&](const wchar_t* name, int choice) {
        SetWindowTextW(program, name);
        SendMessageW(key, CB_SETCURSEL, choice, 0);
        g_message.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMessageBox);
        SendDlgItemMessageW(keys.m_hWnd, IDC_BUTTON_PASTE_SET, BM_CLICK, 0, 0);
        KillTimer(nullptr, timer);
        return g_message;
    };
    const auto row = [&](int index, int column) {
        wchar_t text[64] = {};
        ListView_GetItemText(list, index, column, text, 64);
        return std::wstring(text);
    };
    EXPECT_EQ(SendMessageW(key, CB_GETCURSEL, 0, 0), 1) << "Shift+Insert is offered first";

    EXPECT_EQ(add(L"\"C:\\Tools\\mintty.exe\"", 2), L"");
    EXPECT_EQ(add(L"PUTTY.EXE", 0), L"");
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(row(0, 0) + L" " + row(0, 1), L"putty.exe Ctrl+V");
    EXPECT_EQ(row(1, 0) + L" " + row(1, 1), L"mintty.exe Ctrl+Shift+V");
    EXPECT_NE(add(L"  ", 1).find(L"executable"), std::wstring::npos) << "a blank name is taken";
    ASSERT_EQ(ListView_GetItemCount(list), 2);

    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(TextOf(program), L"putty.exe") << "the selected program is not shown for changing";
    SendDlgItemMessageW(keys.m_hWnd, IDC_BUTTON_PASTE_REMOVE, BM_CLICK, 0, 0);
    ASSERT_EQ(ListView_GetItemCount(list), 1);

    SetWindowTextW(program, L"term.exe");
    SendMessageW(key, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(keys.m_hWnd, IDOK, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(keys.m_hWnd));
    const PasteKeyList::Rules& rules = keys.Rules();
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].program, L"mintty.exe");
    EXPECT_EQ(rules[0].key, PasteKey::CtrlShiftV);
    EXPECT_EQ(rules[1].program, L"term.exe");
    EXPECT_EQ(rules[1].key, PasteKey::ShiftInsert);
}

}  // namespace
