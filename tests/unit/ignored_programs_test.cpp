// Programs to ignore: the list as the options text gives it, and the check of
// the clipboard's owner against another running program and against this one.
#include <gtest/gtest.h>

#include "history/IgnoredPrograms.h"
#include "tests/e2e/IgnoredCopier.h"

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Strings(const std::vector<CString>& names)
{
    std::vector<std::wstring> strings;
    for (const CString& name : names)
        strings.push_back(name.Str());
    return strings;
}

IgnoredPrograms ListOf(const wchar_t* text)
{
    IgnoredPrograms programs;
    programs.SetList(text);
    return programs;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(IgnoredProgramsList, TrimsDropsBlankLinesAndKeepsEachFileNameOnce)
{
    const CString text = L"  keepass.exe \r\n\r\n\tKEEPASS.EXE\r\n\"C:\\Program Files\\PuTTY\\putty.exe\" \r\n"
                         L"D:\\other\\Putty.exe\n   \nssh-agent.exe\r\n";
    const std::vector<std::wstring> expected = {L"keepass.exe", L"C:\\Program Files\\PuTTY\\putty.exe",
                                                L"ssh-agent.exe"};
    EXPECT_EQ(Strings(IgnoredPrograms::ParseList(text)), expected);
    EXPECT_EQ(IgnoredPrograms::JoinList(IgnoredPrograms::ParseList(text)),
              L"keepass.exe\r\nC:\\Program Files\\PuTTY\\putty.exe\r\nssh-agent.exe");
    EXPECT_TRUE(IgnoredPrograms::ParseList(L" \r\n\t\r\n\"\"").empty());
    EXPECT_TRUE(ListOf(L"\r\n").IsEmpty());
}

TEST(IgnoredProgramsList, MatchesTheFileNameWithoutRegardToCaseWhereverItRuns)
{
    const IgnoredPrograms programs = ListOf(L"keepass.exe\r\nC:\\Tools\\PuTTY.exe");
    EXPECT_TRUE(programs.Contains(L"Z:\\opt\\KeePass\\KEEPASS.EXE"));
    EXPECT_TRUE(programs.Contains(L"D:\\elsewhere\\putty.exe"));
    EXPECT_TRUE(programs.Contains(L"putty.exe"));
    EXPECT_FALSE(programs.Contains(L"C:\\Tools\\keepass.exe.bak"));
    EXPECT_FALSE(programs.Contains(L"C:\\Tools\\notkeepass.exe"));
    EXPECT_FALSE(programs.Contains(L"C:\\keepass.exe\\other.exe"));
}

TEST(IgnoredProgramsOwner, AnotherProgramOwningTheClipboardIsFoundByItsExecutable)
{
    e2e::IgnoredCopier copier;
    ASSERT_TRUE(copier.Copy(L"token 1234"));
    EXPECT_EQ(ClipboardText(), L"token 1234");
    EXPECT_TRUE(ListOf(L"notepad.exe\r\nignoredcopier.exe").IsClipboardOwnerIgnored());
    EXPECT_TRUE(ListOf(L"C:\\Some\\Other\\Folder\\IGNOREDCOPIER.EXE").IsClipboardOwnerIgnored());
    EXPECT_FALSE(ListOf(L"notepad.exe\r\nignoredcopier").IsClipboardOwnerIgnored());
    EXPECT_FALSE(ListOf(L"").IsClipboardOwnerIgnored());
    const CString image = IgnoredPrograms::ProcessImageOf(GetClipboardOwner());
    EXPECT_EQ(image, CString(e2e::IgnoredCopier::ExecutablePath()));
    EXPECT_TRUE(copier.End()) << "ignoredcopier.exe did not end when told";
}

TEST(IgnoredProgramsOwner, ThisProgramOwningTheClipboardIsNotTheOther)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    CloseClipboard();
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_FALSE(ListOf(L"ignoredcopier.exe").IsClipboardOwnerIgnored());
    EXPECT_TRUE(ListOf(self).IsClipboardOwnerIgnored());
    DestroyWindow(owner);
    // With its window gone the clipboard has no owner, and nothing is ignored.
    EXPECT_FALSE(ListOf(self).IsClipboardOwnerIgnored());
}

}  // namespace
