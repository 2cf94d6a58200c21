// The setup program as a user meets it: a silent install puts the program, its shortcut and
// its uninstall entry in place; the installed copy keeps its history beside it; an install
// over a running copy closes it so that it saves, and keeps the history; a silent uninstall
// removes everything but the history.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/RunKey.h"
#include "tests/e2e/ShellFiles.h"
#include "tests/e2e/TempFolder.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

using namespace e2e;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillary";
const wchar_t kRunValueName[] = L"Quillary";
const wchar_t* const kInstalledFiles[] = {L"quillary.exe", L"help.chm", L"README.txt", L"LICENSE.txt",
                                          L"uninstall.exe"};
// Installing closes a running copy, which saves first: slower than the usual waits.
constexpr std::chrono::milliseconds kSetupTimeout{60000};

std::wstring WindowsPath(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NoWindowTitledLikeThePopup()) << "the setup program would close that copy";
        ASSERT_FALSE(UserFolder(CSIDL_LOCAL_APPDATA).empty());
        RemoveInstallation();
        ASSERT_FALSE(PathExists(m_folder)) << "cannot clear an earlier installation";
    }

    void TearDown() override { RemoveInstallation(); }

    std::wstring Installed(const std::wstring& name) const { return m_folder + L"\\" + name; }
    std::wstring HistoryFile() const
    {
        return Installed(kDataFolderName) + L"\\" + kHistoryFileName;
    }
    std::wstring Shortcut() const { return UserFolder(CSIDL_PROGRAMS) + L"\\Quillary.lnk"; }

    static ::testing::AssertionResult RunSetup(const std::wstring& options)
    {
        const std::wstring setup = WindowsPath(QUILLARY_SETUP_PATH);
        const std::optional<DWORD> code = RunToEnd(L"\"" + setup + L"\" " + options, kSetupTimeout);
        if (!code)
            return ::testing::AssertionFailure() << "the setup program (" << Narrow(options) << ") did not end";
        if (*code != 0)
            return ::testing::AssertionFailure() << "the setup program ended with code " << *code;
        return ::testing::AssertionSuccess();
    }

    static std::optional<RegistryValue> UninstallValue(const std::wstring& name)
    {
        return ReadRegistryValue(HKEY_CURRENT_USER, kUninstallKey, name);
    }

    // Starts the installed copy, copies a text as another program would and waits until the
    // copy lists it.
    static ::testing::AssertionResult StartAndCopy(ProcessUnderTest& quillary, const std::wstring& text)
    {
        if (auto started = quillary.Start(); !started)
            return started;
        HWND popup = quillary.WaitForPopup();
        if (!popup)
            return ::testing::AssertionFailure() << "the installed copy shows no popup";
        const RemoteListView list(GetDlgItem(popup, kHistoryListId));
        const int before = list.ItemCount();
        if (auto put = PutTextOnClipboard(text); !put)
            return put;
        if (!WaitUntil([&] { return list.ItemCount() == before + 1; }))
            return ::testing::AssertionFailure() << "the list did not take the copied text";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult HistoryHolds(const std::string& text) const
    {
        if (ReadFileBytes(HistoryFile()).find(TextRecordBytes(text)) == std::string::npos)
            return ::testing::AssertionFailure() << "data\\data.data lacks \"" << text << "\"";
        return ::testing::AssertionSuccess();
    }

    void ExpectFilesShortcutAndEntry() const
    {
        for (const wchar_t* name : kInstalledFiles)
            EXPECT_TRUE(PathExists(Installed(name))) << Narrow(name) << " is not installed";
        EXPECT_EQ(Lower(ShortcutTarget(Shortcut())), Lower(Installed(L"quillary.exe"))) << "Start-menu shortcut";

        EXPECT_EQ(UninstallValue(L"DisplayName").value_or(RegistryValue()).text, L"Quillary");
        const std::wstring version = UninstallValue(L"DisplayVersion").value_or(RegistryValue()).text;
        EXPECT_EQ(version, QUILLARY_VERSION);
        EXPECT_EQ(version, ProductVersionOf(Installed(L"quillary.exe"))) << "the program's version resource";
        EXPECT_FALSE(UninstallValue(L"Publisher").value_or(RegistryValue()).text.empty());
        EXPECT_EQ(Lower(UninstallValue(L"DisplayIcon").value_or(RegistryValue()).text),
                  Lower(Installed(L"quillary.exe")) + L",0");
        EXPECT_EQ(Lower(UninstallValue(L"UninstallString").value_or(RegistryValue()).text),
                  Lower(L"\"" + Installed(L"uninstall.exe") + L"\""));
        // In KB: the installed files, rounded either way.
        uint64_t bytes = 0;
        for (const wchar_t* name : kInstalledFiles)
            bytes += ReadFileBytes(Installed(name)).size();
        const std::optional<RegistryValue> size = UninstallValue(L"EstimatedSize");
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_GE(size->number, bytes / 1024);
        EXPECT_LE(size->number, bytes / 1024 + 1);
    }

    // Whatever an earlier run or a failed step left: the folder, the entry, the shortcut, the Run values.
    void RemoveInstallation() const
    {
        RemoveTree(m_folder);
        RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
        DeleteFileW(Shortcut().c_str());
        DeleteRunValue(HKEY_CURRENT_USER, kRunValueName);
        DeleteRunValue(HKEY_LOCAL_MACHINE, kRunValueName);
    }

    const std::wstring m_folder = UserFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quillary";
};

TEST_F(Installer, InstallRunUpgradeOverTheRunningCopyAndUninstallKeepTheHistory)
{
    ASSERT_TRUE(RunSetup(L"/S"));
    ExpectFilesShortcutAndEntry();
    EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, kRunValueName).has_value()) << "start with Windows is opt-in";

    {
        SCOPED_TRACE("the installed copy keeps its history in data beside it");
        ProcessUnderTest quillary(m_folder);
        ASSERT_TRUE(StartAndCopy(quillary, L"copied in the installed Quillary"));
        ASSERT_TRUE(quillary.End()) << "the Exit command did not end it";
        EXPECT_TRUE(HistoryHolds("copied in the installed Quillary"));
    }
    {
        SCOPED_TRACE("a second install closes the running copy, which saves, and keeps the history");
        ProcessUnderTest quillary(m_folder);
        ASSERT_TRUE(StartAndCopy(quillary, L"copied before the upgrade"));
        ASSERT_TRUE(RunSetup(L"/S /AUTORUN"));
        EXPECT_TRUE(quillary.WaitForExit().has_value()) << "the running copy was not closed";
        EXPECT_TRUE(HistoryHolds("copied in the installed Quillary"));
        EXPECT_TRUE(HistoryHolds("copied before the upgrade"));
        ExpectFilesShortcutAndEntry();
        const std::optional<RegistryValue> run = ReadRunValue(HKEY_CURRENT_USER, kRunValueName);
        ASSERT_TRUE(run.has_value()) << "/AUTORUN wrote no Run value";
        EXPECT_EQ(Lower(run->text), Lower(Installed(L"quillary.exe")));
    }
    {
        SCOPED_TRACE("a silent uninstall removes all but the history");
        // As the Option dialog writes it where it may write the machine-wide key.
        ASSERT_TRUE(WriteRunValue(HKEY_LOCAL_MACHINE, kRunValueName, Installed(L"quillary.exe")));
        const std::optional<DWORD> code = RunToEnd(L"\"" + Installed(L"uninstall.exe") + L"\" /S");
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, 0u);
        // The uninstaller goes on from a copy of itself in the temporary folder; it removes the
        // uninstall entry after the files and the Run values.
        EXPECT_TRUE(WaitUntil([&] { return !UninstallValue(L"DisplayName").has_value(); }, kSetupTimeout));
        for (const wchar_t* name : kInstalledFiles)
            EXPECT_FALSE(PathExists(Installed(name))) << Narrow(name) << " is left";
        EXPECT_FALSE(PathExists(Shortcut()));
        EXPECT_FALSE(ReadRunValue(HKEY_CURRENT_USER, kRunValueName).has_value()) << "HKCU keeps the Run value";
        EXPECT_FALSE(ReadRunValue(HKEY_LOCAL_MACHINE, kRunValueName).has_value()) << "HKLM keeps the Run value";
        EXPECT_TRUE(HistoryHolds("copied in the installed Quillary"));
        EXPECT_TRUE(HistoryHolds("copied before the upgrade"));
    }
}

}  // namespace
