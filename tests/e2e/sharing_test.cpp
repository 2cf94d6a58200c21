// "Share the history through a folder", with two PCs on one machine: this
// driver's Quillary, and a second Quillary in a Wine prefix and X display of
// its own (so that the two have separate clipboards), which the driver reaches
// only through the shared folder, its files and a helper run on that PC.
// A copy on the second PC is pasted from the first; a delete on the first
// leaves the second; a copy's formatting, kept by the first PC in its own data
// folder, pastes back byte for byte after the first PC starts again.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/DiskSearch.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/FormatTarget.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/UnixCommand.h"
#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr int kShareCheck = 1600;
constexpr int kShareFolderEdit = 1601;
constexpr int kPassphraseEdit = 1603;
constexpr int kKeyText = 1604;
constexpr WORD kDeleteCommand = 32776;
constexpr char kPassphrase[] = "two PCs, one history";
// Sending, noticing or polling, and merging take seconds, not minutes.
constexpr std::chrono::milliseconds kShareTimeout{45000};

// A folder under /tmp, which both PCs see as Z:\tmp.
class SharedTmp {
public:
    explicit SharedTmp(const std::string& tag)
        : m_unix("/tmp/quillary-" + tag + "-" + std::to_string(GetCurrentProcessId())),
          m_windows(L"Z:" + std::wstring(m_unix.begin(), m_unix.end()))
    {
        for (wchar_t& c : m_windows)
            if (c == L'/')
                c = L'\\';
        CreateDirectoryW(m_windows.c_str(), nullptr);
    }
    ~SharedTmp() { RemoveTree(m_windows); }
    const std::string& Unix() const { return m_unix; }
    const std::wstring& Windows() const { return m_windows; }

private:
    std::string m_unix;
    std::wstring m_windows;
};

// The files under `folder` (ending with a backslash), in every subfolder, that hold one of the forms.
std::vector<std::wstring> FilesHoldingBelow(const std::wstring& folder, const std::vector<std::string>& forms)
{
    std::vector<std::wstring> holding = FilesHolding(folder, forms);
    for (const std::wstring& name : FolderEntries(folder)) {
        if (!IsFolder(folder + name))
            continue;
        for (const std::wstring& below : FilesHoldingBelow(folder + name + L"\\", forms))
            holding.push_back(name + L"\\" + below);
    }
    return holding;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Runs a Windows program on the second PC: its prefix, display and wineserver.
UnixCommandResult OnSecondPc(const std::string& command)
{
    return RunUnixCommand({"bash", "-c",
                           "set -e; source '" QUILLARY_SECOND_PC_ENV "'; cd /tmp; " + command});
}

class Sharing : public PopupOverNotepad {
protected:
    // Both PCs end before the folders go.
    void TearDown() override
    {
        OnSecondPc("\"$WINE\" '" QUILLARY_SHAREPC_PATH "' exit");
        m_quillary.End();
        PopupOverNotepad::TearDown();
    }

    // This PC joins (or makes) the share through the Option dialog, as a user does.
    void ShareThroughOptions(const std::wstring& folder)
    {
        PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kOptionCommand, 0), 0);
        HWND dialog = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(ClickButton(GetDlgItem(dialog, kShareCheck)));
        ASSERT_EQ(CheckState(GetDlgItem(dialog, kShareCheck)), BST_CHECKED);
        ASSERT_TRUE(SetControlText(GetDlgItem(dialog, kShareFolderEdit), folder));
        const std::string passphrase = kPassphrase;
        ASSERT_TRUE(SetControlText(GetDlgItem(dialog, kPassphraseEdit), std::wstring(passphrase.begin(), passphrase.end())));
        ASSERT_TRUE(ClickButton(GetDlgItem(dialog, IDOK)));
        ASSERT_TRUE(WaitUntilGone(dialog)) << "the Option dialog stays open";
    }

    std::wstring KeyShown()
    {
        PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(kOptionCommand, 0), 0);
        HWND dialog = WaitForDialog(m_quillary.ProcessId(), kOptionTitle);
        if (!dialog)
            return L"(no dialog)";
        const std::wstring key = ControlText(GetDlgItem(dialog, kKeyText));
        ClickButton(GetDlgItem(dialog, IDCANCEL));
        WaitUntilGone(dialog);
        return key;
    }

    SharedTmp m_share{"share"};
    SharedTmp m_second{"pc2"};
};

TEST_F(Sharing, ACopyOnOnePcIsPastedFromTheOtherAndADeleteOnOneLeavesTheOther)
{
    const SharedTmp& share = m_share;
    const SharedTmp& second = m_second;
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ShareThroughOptions(share.Windows()));

    // The second PC: its own copy of Quillary, joined with the same passphrase.
    ASSERT_TRUE(CopyFileW(ProductPath().c_str(), (second.Windows() + L"\\quillary.exe").c_str(), FALSE));
    const std::wstring data = second.Windows() + L"\\" + kDataFolderName;
    ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
    StoredSettings settings;
    settings.share = 1;
    settings.shareFolder = Narrow(share.Windows());
    ASSERT_TRUE(WriteFileBytes(data + L"\\" + kOptionsFileName, SettingsFileBytes(settings)));
    const UnixCommandResult joined = OnSecondPc("\"$WINE\" '" QUILLARY_SHAREPC_PATH "' setup '" + Narrow(data) +
                                                "\\' '" + Narrow(share.Windows()) + "' '" + kPassphrase + "'");
    ASSERT_TRUE(joined.finished && joined.exitCode == 0) << joined.output;
    // Both PCs show the same key.
    const std::wstring key = KeyShown();
    std::string fingerprint = joined.output.substr(0, joined.output.find_first_of("\r\n"));
    EXPECT_EQ(Narrow(key), "Key: " + fingerprint);
    const UnixCommandResult started = OnSecondPc("setsid \"$WINE\" '" + second.Unix() +
                                                 "/quillary.exe' </dev/null >/dev/null 2>&1 &");
    ASSERT_TRUE(started.finished && started.exitCode == 0) << started.output;

    // A copy on the second PC, from its own clipboard: it reaches this PC's list.
    const std::string text = "Copied-On-The-Second-PC-6610";
    ASSERT_TRUE(WaitUntil([&] { return PathExists(data + L"\\share.state"); }, kShareTimeout))
        << "the second PC does not share";
    const UnixCommandResult copied =
        OnSecondPc("\"$WINE\" '" QUILLARY_SHAREPC_PATH "' copy '" + text + "' 3000");
    ASSERT_TRUE(copied.finished && copied.exitCode == 0) << copied.output;
    ASSERT_TRUE(WaitUntil([&] { return !FilesHolding(data + L"\\", FormsOf(text)).empty(); }))
        << "the second PC did not record the copy";
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::wstring> labels = Labels();
            return !labels.empty() && labels.front() == std::wstring(text.begin(), text.end());
        },
        kShareTimeout))
        << "the copy did not reach this PC";
    const std::vector<std::wstring> plain = FilesHoldingBelow(share.Windows() + L"\\", FormsOf(text));
    EXPECT_TRUE(plain.empty()) << "plain text in the shared folder: " << testing::PrintToString(plain);
    EXPECT_FALSE(FolderEntries(share.Windows() + L"\\Quillary\\").empty());

    // Pasted here, as any entry is.
    ASSERT_TRUE(Summon());
    ASSERT_TRUE(Select("Home", {0}));
    ExpectEnterPastes(std::wstring(text.begin(), text.end()));

    // Deleted here: the second PC's history lets it go, down to its files.
    ASSERT_TRUE(SelectOnlyRows(m_list, {0}));
    ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
    ASSERT_TRUE(WaitUntil([&] { return Labels().empty() || Labels().front() != std::wstring(text.begin(), text.end()); }));
    EXPECT_TRUE(WaitUntil([&] { return FilesHolding(data + L"\\", FormsOf(text)).empty(); }, kShareTimeout))
        << "the second PC still holds the deleted entry in "
        << testing::PrintToString(FilesHolding(data + L"\\", FormsOf(text)));

    // A copy with its formatting on the second PC.
    const std::string rich = "Rich-On-The-Second-PC-6620";
    const std::string html = "Version:0.9\r\n<html><body><!--StartFragment--><b>" + rich +
                             "</b><!--EndFragment--></body></html>" + std::string(1, '\0');
    ASSERT_TRUE(WriteFileBytes(second.Windows() + L"\\copied.html", html));
    const UnixCommandResult richCopy = OnSecondPc("\"$WINE\" '" QUILLARY_SHAREPC_PATH "' copy '" + rich + "' 3000 '" +
                                                  Narrow(second.Windows()) + "\\copied.html'");
    ASSERT_TRUE(richCopy.finished && richCopy.exitCode == 0) << richCopy.output;
    ASSERT_TRUE(WaitUntil([&] { return !Labels().empty() && Labels().front() == std::wstring(rich.begin(), rich.end()); },
                          kShareTimeout))
        << "the formatted copy did not reach this PC";
    EXPECT_TRUE(FilesHoldingBelow(share.Windows() + L"\\", FormsOf(rich)).empty()) << "plain formatting shared";

    // This PC starts again on its own files, and pastes the formatting as the second PC copied it.
    ASSERT_TRUE(m_quillary.End());
    ProcessUnderTest again(m_folder.Path());
    ASSERT_TRUE(again.Start());
    m_popup = again.WaitForPopup();
    ASSERT_NE(m_popup, nullptr);
    m_list = GetDlgItem(m_popup, kHistoryListId);
    PostMessageW(m_popup, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    FormatTarget target;
    ASSERT_TRUE(target.Activate()) << DescribeForeground();
    ASSERT_TRUE(PressKeys("ctrl+shift+f"));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_popup) && FocusInThreadOf(m_popup) == m_list; }))
        << DescribeForeground();
    ASSERT_TRUE(SelectFirstRowByKey(m_list));
    ASSERT_TRUE(PressKeys("Return"));
    ASSERT_TRUE(WaitUntil([&] { return target.Pasted().has_value(); })) << "nothing pasted";
    const FormatTarget::Formats pasted = *target.Pasted();
    EXPECT_EQ(pasted.count(L"HTML Format") ? pasted.at(L"HTML Format") : "(none)", html);
}

}  // namespace
