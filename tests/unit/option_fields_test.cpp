// The Option dialog's summon key, history size, no repeats, record pictures
// and programs to ignore: shown from the record, given back cleaned, and the
// refusals at OK that keep the dialog open.
#include <gtest/gtest.h>

#include "resource.h"
#include "shell/OptionDlg.h"
#include "shell/SummonHotkey.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr int kAltF9 = MAKEWORD(VK_F9, HOTKEYF_ALT);
constexpr int kCtrlShiftF9 = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr int kCtrlShiftF10 = MAKEWORD(VK_F10, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr int kAltShiftF11 = MAKEWORD(VK_F11, HOTKEYF_ALT | HOTKEYF_SHIFT);

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The text of the message box that a timer finds over the dialog, which it then closes.
std::wstring g_message;

BOOL CALLBACK ReadStatic(HWND child, LPARAM)
{
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (lstrcmpiW(name, L"Static") == 0 && GetWindowTextLengthW(child) > 0)
        g_message += TextOf(child);
    return TRUE;
}

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = GetActiveWindow();
    if (!box || GetDlgItem(box, IDC_HOTKEY_SUMMON) || !g_message.empty())
        return;
    EnumChildWindows(box, ReadStatic, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class OptionFields : public testing::Test {
protected:
    void Open(const ClipOptions& options)
    {
        dialog.SetOptions(options);
        ASSERT_TRUE(dialog.Create(nullptr));
        dialog.ShowWindow(SW_SHOW);
        hotkey = GetDlgItem(dialog.m_hWnd, IDC_HOTKEY_SUMMON);
        size = GetDlgItem(dialog.m_hWnd, IDC_EDIT_HISTORY_SIZE);
        noRepeats = GetDlgItem(dialog.m_hWnd, IDC_CHECK_NO_REPEATS);
        pictures = GetDlgItem(dialog.m_hWnd, IDC_CHECK_RECORD_PICTURES);
        programs = GetDlgItem(dialog.m_hWnd, IDC_EDIT_IGNORED_PROGRAMS);
        ASSERT_TRUE(hotkey && size && noRepeats && pictures && programs);
    }
    // Clicks OK; returns the text of the message box it brought up, if any.
    std::wstring PressOk()
    {
        g_message.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMessageBox);
        SendMessageW(GetDlgItem(dialog.m_hWnd, IDOK), BM_CLICK, 0, 0);
        KillTimer(nullptr, timer);
        return g_message;
    }
    bool Closed() const { return !IsWindow(dialog.m_hWnd); }

    COptionDlg dialog;
    HWND hotkey = nullptr, size = nullptr, noRepeats = nullptr, pictures = nullptr, programs = nullptr;
};

TEST_F(OptionFields, ShowTheRecordAndGiveBackTheEditedValuesWithACleanProgramList)
{
    ClipOptions stored;
    stored.m_nSummonHotkey = kAltF9;
    stored.m_nHistorySize = 250;
    stored.m_bNoRepeats = 1;
    stored.m_strIgnoredPrograms = L"keepass.exe\r\nputty.exe";
    Open(stored);
    EXPECT_EQ(SendMessageW(hotkey, HKM_GETHOTKEY, 0, 0), kAltF9);
    EXPECT_EQ(TextOf(size), L"250");
    EXPECT_EQ(SendMessageW(noRepeats, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(pictures, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(TextOf(programs), L"keepass.exe\r\nputty.exe");

    SendMessageW(hotkey, HKM_SETHOTKEY, kCtrlShiftF10, 0);
    SetWindowTextW(size, L"42");
    SendMessageW(noRepeats, BM_CLICK, 0, 0);
    SendMessageW(pictures, BM_CLICK, 0, 0);
    SetWindowTextW(programs, L"  tokens.exe \r\n\r\nC:\\x\\TOKENS.EXE\r\n\"C:\\Program Files\\a b\\c.exe\"");
    EXPECT_TRUE(PressOk().empty());
    ASSERT_TRUE(Closed());

    ClipOptions record = stored;
    record.m_nEntryCount = 17;
    record.m_nTopCount = 3;
    dialog.GetOptions(&record);
    EXPECT_EQ(record.m_nSummonHotkey, kCtrlShiftF10);
    EXPECT_EQ(record.m_nHistorySize, 42);
    EXPECT_EQ(record.m_bNoRepeats, 0);
    EXPECT_EQ(record.m_bRecordPictures, 1);
    EXPECT_EQ(record.m_strIgnoredPrograms, L"tokens.exe\r\nC:\\Program Files\\a b\\c.exe");
    EXPECT_EQ(record.m_nEntryCount, 17);
    EXPECT_EQ(record.m_nTopCount, 3);
}

TEST_F(OptionFields, AHistorySizeOutOfRangeIsRefusedAndTheDialogStays)
{
    Open(ClipOptions());
    EXPECT_EQ(TextOf(size), L"1000");
    for (const wchar_t* wrong : {L"9", L"10001", L"", L"0010x"}) {
        SetWindowTextW(size, wrong);
        const std::wstring message = PressOk();
        EXPECT_NE(message.find(L"10 to 10000"), std::wstring::npos) << "no message for \"" << wrong << "\"";
        ASSERT_FALSE(Closed()) << "\"" << wrong << "\" was taken";
        EXPECT_EQ(GetFocus(), size);
    }
    SetWindowTextW(size, L"10");
    EXPECT_TRUE(PressOk().empty());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(dialog.m_nHistorySize, 10);
}

TEST_F(OptionFields, OkRegistersTheNewSummonKeyAtOnceOrNamesTheKeyItCannotHave)
{
    HWND popup = CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 1, MOD_ALT | MOD_SHIFT, VK_F11));
    SummonHotkey summon;
    ASSERT_EQ(summon.Register(popup, kCtrlShiftF9), SummonHotkey::Result::Registered);
    ClipOptions stored;
    stored.m_nSummonHotkey = kCtrlShiftF9;
    dialog.SetSummonHotkey(&summon);
    Open(stored);

    // A size out of range stops OK before the key is touched.
    SendMessageW(hotkey, HKM_SETHOTKEY, kCtrlShiftF10, 0);
    SetWindowTextW(size, L"5");
    EXPECT_FALSE(PressOk().empty());
    EXPECT_EQ(summon.Key(), kCtrlShiftF9);
    SetWindowTextW(size, L"1000");

    SendMessageW(hotkey, HKM_SETHOTKEY, kAltShiftF11, 0);
    const std::wstring taken = PressOk();
    EXPECT_NE(taken.find(L"Alt+Shift+F11"), std::wstring::npos) << "the held key is not named";
    EXPECT_NE(taken.find(L"Ctrl+Shift+F9 stays"), std::wstring::npos);
    ASSERT_FALSE(Closed());
    EXPECT_EQ(summon.Key(), kCtrlShiftF9);
    EXPECT_TRUE(summon.IsRegistered());

    SendMessageW(hotkey, HKM_SETHOTKEY, VK_F10, 0);
    EXPECT_NE(PressOk().find(L"needs Ctrl, Alt or Shift"), std::wstring::npos);
    ASSERT_FALSE(Closed());

    SendMessageW(hotkey, HKM_SETHOTKEY, kCtrlShiftF10, 0);
    EXPECT_TRUE(PressOk().empty());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(summon.Key(), kCtrlShiftF10);
    EXPECT_EQ(dialog.m_nSummonHotkey, kCtrlShiftF10);
    EXPECT_TRUE(RegisterHotKey(other, 2, MOD_CONTROL | MOD_SHIFT, VK_F9)) << "the old key is still held";

    UnregisterHotKey(other, 1);
    UnregisterHotKey(other, 2);
    summon.Unregister();
    DestroyWindow(popup);
    DestroyWindow(other);
}

}  // namespace
