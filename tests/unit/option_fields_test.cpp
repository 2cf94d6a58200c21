// The Option dialog's newer settings: every text fits at the font the system
// substitutes, the record goes in and comes back with a clean program list,
// and OK refuses a size out of range or a summon key it cannot have, naming
// the key, while the dialog stays open.
#include <gtest/gtest.h>

#include "resource.h"
#include "shell/OptionDlg.h"
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
    if (!box || GetDlgItem(box, IDC_HOTKEY_SUMMON) || !g_message.empty())
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

TEST_F(OptionFields, EveryTextFitsItsControlInTheDialogsFont)
{
    Open(ClipOptions());
    HDC dc = GetDC(dialog.m_hWnd);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog.m_hWnd, WM_GETFONT, 0, 0)));
    int measured = 0;
    for (HWND child = GetWindow(dialog.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t type[16] = {};
        GetClassNameW(child, type, 16);
        const std::wstring text = TextOf(child);
        if (text.empty() || (lstrcmpiW(type, L"Static") != 0 && lstrcmpiW(type, L"Button") != 0))
            continue;
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        RECT room;
        GetClientRect(child, &room);
        // A check box's square and gap, or a push button's frame and focus margin.
        const LONG_PTR kind = GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
        if (lstrcmpiW(type, L"Button") == 0)
            room.right -= kind == BS_AUTOCHECKBOX ? GetSystemMetrics(SM_CXMENUCHECK) + 2 * GetSystemMetrics(SM_CXEDGE)
                                                  : 4 * GetSystemMetrics(SM_CXEDGE);
        EXPECT_LE(extent.cx, room.right) << "cut off: " << std::string(text.begin(), text.end());
        EXPECT_LE(extent.cy, room.bottom) << "cut off at the bottom: " << std::string(text.begin(), text.end());
        ++measured;
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog.m_hWnd, dc);
    EXPECT_EQ(measured, 17) << "Ok, Cancel, Paste keys..., seven check boxes and seven labels";
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

}  // namespace
