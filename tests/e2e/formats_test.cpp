// Formats beyond text, as a user meets them: a copy with HTML and RTF (and
// files copied in a file manager) pasted back into a window that reads every
// format, Shift+Enter for the text alone, and a program that renders on
// demand so slowly that it is not asked again, a formats file damaged on
// disk, and the extras file held by another program while a Delete folds. Each copying program is ended before the paste, and with it what it
// put on the clipboard: what comes back is what Quillary kept.
#include "framework/Handles.h"
#include "tests/e2e/Clipboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/DiskSearch.h"
#include "tests/e2e/ExtrasBytes.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/FormatCopier.h"
#include "tests/e2e/FormatTarget.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/ListSelection.h"
#include "tests/e2e/Notepad.h"
#include "tests/e2e/PreparedHistory.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"
#include "tests/unit/drop_files_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr int kFilesImage = 4;
constexpr WORD kDeleteCommand = 32776;
constexpr std::uint64_t kSomeDay = 133800000000000000ull;  // a FILETIME in 2025

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// A copy of formatted text as a browser makes it: the text, HTML and RTF, each ending in NUL.
std::vector<FormatCopier::Format> FormattedCopy(const std::wstring& text)
{
    const std::string narrow(text.begin(), text.end());
    return {{L"#13", Utf16Bytes(text)},
            {L"HTML Format", "Version:0.9\r\n<html><body><!--StartFragment--><b>" + narrow +
                                 "</b> <a href=\"https://example.org/\">link</a><!--EndFragment--></body></html>" +
                                 std::string(1, '\0')},
            {L"Rich Text Format", "{\\rtf1\\ansi{\\b " + narrow + "}\\par}" + std::string(1, '\0')}};
}

class Formats : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NoWindowTitledLikeThePopup());
        ASSERT_NO_FATAL_FAILURE(Launch());
    }

    // Quillary over the folder's history, its popup hidden as after a start with Windows.
    void Launch()
    {
        m_quillary.emplace(m_folder.Path());
        ASSERT_TRUE(m_quillary->Start());
        m_popup = m_quillary->WaitForPopup();
        ASSERT_NE(m_popup, nullptr);
        m_list = GetDlgItem(m_popup, kHistoryListId);
        PostMessageW(m_popup, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    }

    std::vector<std::wstring> Labels() const
    {
        std::vector<std::wstring> labels;
        for (const ListItem& row : RemoteListView(m_list).Rows())
            labels.push_back(row.text);
        return labels;
    }

    ::testing::AssertionResult LabelsBecome(const std::vector<std::wstring>& expected) const
    {
        if (WaitUntil([&] { return Labels() == expected; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the list holds " << testing::PrintToString(Labels());
    }

    // Summons the popup over the target, selects the first row and presses the
    // keys: what the target then reads from the clipboard.
    FormatTarget::Formats PasteFirstRow(const std::string& keys)
    {
        EXPECT_TRUE(m_target.Activate()) << DescribeForeground();
        EXPECT_TRUE(PressKeys("ctrl+shift+f"));
        EXPECT_TRUE(WaitUntil([&] {
            return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup && FocusInThreadOf(m_popup) == m_list;
        })) << "no popup: " << DescribeForeground();
        EXPECT_TRUE(SelectFirstRowByKey(m_list));
        EXPECT_TRUE(PressKeys(keys));
        EXPECT_TRUE(WaitUntil([&] { return m_target.Pasted().has_value(); })) << keys << " pasted nothing";
        return m_target.Pasted().value_or(FormatTarget::Formats{});
    }

    TempFolder m_folder;
    std::optional<ProcessUnderTest> m_quillary;
    FormatTarget m_target;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

TEST_F(Formats, HtmlAndRtfComeBackByteForByteWithEnterAndShiftEnterPastesTheTextAlone)
{
    const std::vector<FormatCopier::Format> copied = FormattedCopy(L"bold words");
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy(copied, {true, 0}));
    ASSERT_TRUE(LabelsBecome({L"bold words"}));
    EXPECT_EQ(copier.End(), 2u) << "HTML and RTF are each asked for once";

    FormatTarget::Formats pasted = PasteFirstRow("Return");
    for (const FormatCopier::Format& format : copied)
        EXPECT_EQ(format.bytes, pasted[format.name]) << testing::PrintToString(format.name);

    pasted = PasteFirstRow("shift+Return");
    EXPECT_EQ(copied[0].bytes, pasted[L"#13"]);
    EXPECT_EQ(0u, pasted.count(L"HTML Format"));
    EXPECT_EQ(0u, pasted.count(L"Rich Text Format"));

    // Kept on disk: after a kill (the journal holds them) and after an exit (the extras file does).
    Sleep(1000);
    ASSERT_TRUE(m_quillary->Kill());
    for (const char* after : {"a kill", "an exit"}) {
        ASSERT_NO_FATAL_FAILURE(Launch());
        pasted = PasteFirstRow("Return");
        for (const FormatCopier::Format& format : copied)
            EXPECT_EQ(format.bytes, pasted[format.name]) << testing::PrintToString(format.name) << " after " << after;
        ASSERT_TRUE(m_quillary->End());
    }
}

TEST_F(Formats, AProgramSlowToRenderIsAskedOnceAndNeverAgainWhileItsTextsStillArrive)
{
    const FormatCopier::Rendering slow = {true, 800};
    FormatCopier first;
    ASSERT_TRUE(first.Copy(FormattedCopy(L"first"), slow));
    ASSERT_TRUE(LabelsBecome({L"first"}));
    EXPECT_EQ(first.End(), 2u);

    FormatCopier second;
    ASSERT_TRUE(second.Copy(FormattedCopy(L"second"), slow));
    ASSERT_TRUE(LabelsBecome({L"second", L"first"}));
    EXPECT_EQ(second.End(), 0u) << "a format the program was slow to render was asked for again";
}

TEST_F(Formats, FilesCutInAFileManagerBecomeAnEntryAndPasteBackAsACopyOfTheSamePaths)
{
    const std::vector<std::wstring> paths = {L"C:\\users\\public\\report.docx", L"C:\\users\\public\\data.xlsx"};
    const std::vector<std::uint8_t> block = drop_files::Block(paths);
    const std::string fileList(block.begin(), block.end());
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy({{L"#15", fileList}, {L"Preferred DropEffect", Dword(DROPEFFECT_MOVE)}}));
    ASSERT_TRUE(LabelsBecome({L"report.docx (+1 more)"}));
    EXPECT_EQ(kFilesImage, RemoteListView(m_list).Item(0).value_or(ListItem{}).image);
    ASSERT_TRUE(copier.End().has_value());

    FormatTarget::Formats pasted = PasteFirstRow("Return");
    EXPECT_EQ(fileList, pasted[L"#15"]);
    EXPECT_EQ(Dword(DROPEFFECT_COPY), pasted[L"Preferred DropEffect"]);
    EXPECT_EQ(Utf16Bytes(paths[0] + L"\r\n" + paths[1]), pasted[L"#13"]);
}

TEST_F(Formats, FormatsSurviveADeleteThatFoldsWhileAnotherProgramHoldsTheExtrasFile)
{
    const std::vector<FormatCopier::Format> rich = FormattedCopy(L"Rich-Kept-6120");
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy(rich, {true, 0}));
    ASSERT_TRUE(LabelsBecome({L"Rich-Kept-6120"}));
    copier.End();
    ASSERT_TRUE(CopyAndWaitForNewRow(m_list, L"Deleted-Soon-6121"));
    // After an exit the formats are on disk, and the extras file tells where.
    ASSERT_TRUE(m_quillary->End());
    ASSERT_NO_FATAL_FAILURE(Launch());
    const std::wstring data = m_folder.Child(kDataFolderName);
    {
        // A backup or sync program holds data.extras (no sharing) for three seconds while the Delete folds.
        UniqueFileHandle held(CreateFileW((data + L"\\data.extras").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        ASSERT_TRUE(SelectOnlyRows(m_list, {0}));
        ASSERT_TRUE(SendCommand(m_popup, kDeleteCommand));
        ASSERT_TRUE(LabelsBecome({L"Rich-Kept-6120"}));
        Sleep(3000);
    }
    // Let go of, the fold goes through on its own: the deleted text leaves the disk.
    EXPECT_TRUE(WaitUntil([&] { return FilesHolding(data, FormsOf("Deleted-Soon-6121")).empty(); }))
        << testing::PrintToString(FilesHolding(data, FormsOf("Deleted-Soon-6121")));
    ASSERT_TRUE(m_quillary->End());
    ASSERT_NO_FATAL_FAILURE(Launch());
    FormatTarget::Formats pasted = PasteFirstRow("Return");
    for (const FormatCopier::Format& format : rich)
        EXPECT_EQ(format.bytes, pasted[format.name]) << testing::PrintToString(format.name);
}

// A copy whose text is empty (a picture's caption, a cell with formatting alone).
TEST_F(Formats, AnEmptyTextBesideHtmlIsLabelledByItAndPastesItBack)
{
    const std::string html = "Version:0.9\r\n<html><body><!--StartFragment--><hr><!--EndFragment--></body></html>" +
                             std::string(1, '\0');
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy({{L"#13", Utf16Bytes(L"")}, {L"HTML Format", html}}));
    ASSERT_TRUE(LabelsBecome({L"Formatted copy (HTML)"}));
    ASSERT_TRUE(copier.End().has_value());

    const FormatTarget::Formats pasted = PasteFirstRow("Return");
    EXPECT_EQ(html, pasted.count(L"HTML Format") ? pasted.at(L"HTML Format") : "(none)");
}

// A record of the formats file damaged on disk: its entry keeps its text, the next ones keep their formats.
TEST_F(Formats, ADamagedFormatsRecordCostsOnlyItsEntryItsFormats)
{
    // The files an earlier run left, laid while Quillary is not running.
    ASSERT_TRUE(m_quillary->End());
    const std::vector<std::string> texts = {"Damaged-Entry-4471", "Whole-Entry-9012"};
    ASSERT_TRUE(PrepareTextHistory(m_folder.Path(), StoredSettings(), texts));
    const std::wstring data = m_folder.Child(kDataFolderName) + L"\\";
    const std::vector<FormatCopier::Format> damaged = FormattedCopy(L"Damaged-Entry-4471");
    const std::vector<FormatCopier::Format> whole = FormattedCopy(L"Whole-Entry-9012");
    const std::vector<StoredExtras> records = {
        {kSomeDay, {{damaged[1].name, damaged[1].bytes}}},
        {kSomeDay, {{whole[1].name, whole[1].bytes}, {whole[2].name, whole[2].bytes}}}};
    std::string extras = ExtrasFileBytes(ReadFileBytes(data + kHistoryFileName), records);
    // One bit of the first record's HTML flipped, as a bad sector would.
    extras[extras.find("<b>Damaged")] ^= 0x01;
    ASSERT_TRUE(WriteFileBytes(data + L"data.extras", extras));
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(LabelsBecome({L"Damaged-Entry-4471", L"Whole-Entry-9012"}));

    FormatTarget::Formats pasted = PasteFirstRow("Return");
    EXPECT_EQ(damaged[0].bytes, pasted[L"#13"]);
    EXPECT_EQ(0u, pasted.count(L"HTML Format")) << "damaged HTML was pasted";
    pasted = PasteFirstRow("ctrl+2");  // the second row
    for (const FormatCopier::Format& format : whole)
        EXPECT_EQ(format.bytes, pasted[format.name]) << testing::PrintToString(format.name);
}

// A reader no one here wrote: WordPad takes the RTF (whose words differ from the plain text's).
TEST_F(Formats, WordPadTakesThePastedRtf)
{
    wchar_t programs[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramFiles", programs, MAX_PATH);
    const std::wstring path = std::wstring(programs) + L"\\Windows NT\\Accessories\\wordpad.exe";
    Notepad wordpad(path.c_str(), nullptr, L"RichEdit");
    ASSERT_TRUE(wordpad.Start());
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy({{L"#13", Utf16Bytes(L"plain words")},
                             {L"Rich Text Format", "{\\rtf1\\ansi{\\b rich words}\\par}" + std::string(1, '\0')}}));
    ASSERT_TRUE(LabelsBecome({L"plain words"}));
    ASSERT_TRUE(copier.End().has_value());

    ASSERT_TRUE(wordpad.Activate()) << DescribeForeground();
    ASSERT_TRUE(PressKeys("ctrl+shift+f"));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(m_popup) && FocusInThreadOf(m_popup) == m_list; }));
    ASSERT_TRUE(SelectFirstRowByKey(m_list));
    ASSERT_TRUE(PressKeys("Return"));
    std::wstring text;
    EXPECT_TRUE(WaitUntil([&] { return (text = wordpad.Text()).find(L"rich words") != std::wstring::npos; }))
        << "WordPad holds " << testing::PrintToString(text);
}

}  // namespace
