// Programs to ignore: the list as the options text gives it, and the check of
// the clipboard's owner against another running program.
#include <gtest/gtest.h>

#include "history/clipboard/IgnoredPrograms.h"
#include "tests/e2e/IgnoredCopier.h"

namespace {

IgnoredPrograms ListOf(const wchar_t* text)
{
    IgnoredPrograms programs;
    programs.SetList(text);
    return programs;
}

TEST(IgnoredPrograms, TheListIsTrimmedWithoutBlankLinesAndEachFileNameOnce)
{
    const CString text = L"  keepass.exe \r\n\r\n\tKEEPASS.EXE\r\n\"C:\\Program Files\\PuTTY\\putty.exe\" \r\n"
                         L"D:\\other\\Putty.exe\n   \nssh-agent.exe\r\n";
    EXPECT_EQ(IgnoredPrograms::JoinList(IgnoredPrograms::ParseList(text)),
              L"keepass.exe\r\nC:\\Program Files\\PuTTY\\putty.exe\r\nssh-agent.exe");
    const IgnoredPrograms programs = ListOf(text);
    EXPECT_TRUE(programs.Contains(L"Z:\\opt\\KeePass\\KEEPASS.EXE"));
    EXPECT_TRUE(programs.Contains(L"E:\\elsewhere\\putty.exe"));
    EXPECT_FALSE(programs.Contains(L"C:\\Tools\\keepass.exe.bak"));
    EXPECT_FALSE(programs.Contains(L"C:\\Tools\\notkeepass.exe"));
    EXPECT_TRUE(ListOf(L" \r\n\t\r\n\"\"").IsEmpty());
}

TEST(IgnoredPrograms, AnotherProgramOwningTheClipboardIsKnownByItsExecutable)
{
    e2e::IgnoredCopier copier;
    ASSERT_TRUE(copier.Copy(L"token 1234"));
    EXPECT_TRUE(ListOf(L"notepad.exe\r\nignoredcopier.exe").IsClipboardOwnerIgnored());
    EXPECT_TRUE(ListOf(L"C:\\Some\\Other\\Folder\\IGNOREDCOPIER.EXE").IsClipboardOwnerIgnored());
    EXPECT_FALSE(ListOf(L"notepad.exe\r\nignoredcopier").IsClipboardOwnerIgnored());
    EXPECT_EQ(IgnoredPrograms::ProcessImageOf(GetClipboardOwner()), CString(e2e::IgnoredCopier::ExecutablePath()));
    EXPECT_TRUE(copier.End()) << "ignoredcopier.exe did not end when told";

    // This program's own copy is not the other program's.
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(ListOf(L"ignoredcopier.exe").IsClipboardOwnerIgnored());
    DestroyWindow(owner);
}

}  // namespace
