// Programs that render their copies slowly, or get stuck in the render, as
// spreadsheets, remote desktops and file managers on network drives do: the
// popup is at hand meanwhile, the copy becomes an entry once it comes, the
// program's next copies are read without waiting again, files copied alone
// are always recorded, and Quillary exits cleanly while a render is stuck.
#include "tests/e2e/ArchiveBytes.h"
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/FormatCopier.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/Wait.h"
#include "tests/unit/drop_files_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr int kTwoSeconds = 2000;
// A render of two seconds and the formats' time after it, with room for a busy machine.
constexpr std::chrono::milliseconds kSlowCopyTimeout{20000};

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

std::string Html(const std::string& words)
{
    return "Version:0.9\r\n<html><body><!--StartFragment--><b>" + words + "</b><!--EndFragment--></body></html>" +
           std::string(1, '\0');
}

std::string FileListBytes(const std::vector<std::wstring>& paths)
{
    const std::vector<std::uint8_t> block = drop_files::Block(paths);
    return std::string(block.begin(), block.end());
}

class SlowRender : public PopupOverNotepad {
protected:
    // Quillary has the clipboard open: it has asked the copier for its copy and waits for the render.
    bool QuillaryWaitsForTheRender() const
    {
        return WaitUntil([this] {
            DWORD process = 0;
            HWND opener = GetOpenClipboardWindow();
            return opener && GetWindowThreadProcessId(opener, &process) && process == m_quillary.ProcessId();
        });
    }
    ::testing::AssertionResult LabelsBecome(const std::vector<std::wstring>& labels,
                                            std::chrono::milliseconds timeout = kWaitTimeout) const
    {
        if (WaitUntil([&] { return Labels() == labels; }, timeout))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the list holds " << testing::PrintToString(Labels());
    }
};

// The paste waits for the clipboard, which Quillary holds open while the copy renders.
TEST_F(SlowRender, WhileARenderIsStuckThePopupShowsTakesTypingAndPastesOnceTheCopyIsRendered)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"alpha earlier", L"beta earlier"}));
    RenderHold hold;
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy({{L"#13", Utf16Bytes(L"alpha held")}}, FormatCopier::Rendering(true, 0, false, hold.Name())));
    ASSERT_TRUE(QuillaryWaitsForTheRender());

    ASSERT_TRUE(Summon()) << "the popup did not show while a render was stuck";
    EXPECT_TRUE(Shows("a l p h a", {L"alpha earlier"}));
    EXPECT_TRUE(Shows("Escape", {L"beta earlier", L"alpha earlier"}));
    ASSERT_TRUE(Select("Home", {0}));
    ASSERT_TRUE(PressKeys("Return"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    EXPECT_TRUE(QuillaryWaitsForTheRender()) << "the render ended before the popup was tried";

    hold.Release();
    EXPECT_TRUE(LabelsBecome({L"alpha held", L"beta earlier", L"alpha earlier"}));
    EXPECT_TRUE(WaitUntil([&] { return m_notepad.Text() == L"beta earlier"; }))
        << "notepad holds " << testing::PrintToString(m_notepad.Text());
    EXPECT_TRUE(copier.End().has_value());
}

TEST_F(SlowRender, ACopyRenderedInTwoSecondsBecomesAnEntryAndTheProgramsNextCopyCostsNoWait)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const FormatCopier::Rendering slow(true, kTwoSeconds, true);
    FormatCopier first;
    ASSERT_TRUE(first.Copy({{L"#13", Utf16Bytes(L"slow words")}, {L"HTML Format", Html("slow words")}}, slow));
    ASSERT_TRUE(LabelsBecome({L"slow words"}, kSlowCopyTimeout));
    EXPECT_EQ(first.End(), 1u) << "its HTML is asked for once";

    // Its text is the entry and is read again; the HTML it was too slow to give is not asked for.
    FormatCopier second;
    ASSERT_TRUE(second.Copy({{L"#13", Utf16Bytes(L"next words")}, {L"HTML Format", Html("next words")}}, slow));
    ASSERT_TRUE(LabelsBecome({L"next words", L"slow words"}, kSlowCopyTimeout));
    EXPECT_EQ(second.End(), 0u) << "the format the program was too slow to give was asked for again";
}

TEST_F(SlowRender, ACopyOfFilesAloneAfterASlowFileListIsRecorded)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::wstring> slowPaths = {L"Z:\\share\\slow.docx", L"Z:\\share\\other.docx"};
    FormatCopier first;
    ASSERT_TRUE(first.Copy({{L"#13", Utf16Bytes(L"two files")}, {L"#15", FileListBytes(slowPaths)}}, {true, 800}));
    ASSERT_TRUE(LabelsBecome({L"slow.docx (+1 more)"}));
    EXPECT_EQ(first.End(), 1u);

    FormatCopier second;
    ASSERT_TRUE(second.Copy({{L"#15", FileListBytes({L"Z:\\share\\quick.txt"})}}, {true, 0}));
    EXPECT_TRUE(LabelsBecome({L"quick.txt", L"slow.docx (+1 more)"})) << "a copy of files alone was dropped";
    EXPECT_TRUE(second.End().has_value());
}

TEST_F(SlowRender, QuillaryExitsCleanlyWhileARenderIsStuckAndKeepsWhatItHad)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Copy({L"kept before the stuck copy"}));
    RenderHold hold;
    FormatCopier copier;
    ASSERT_TRUE(copier.Copy({{L"#13", Utf16Bytes(L"never rendered")}}, FormatCopier::Rendering(true, 0, false, hold.Name())));
    ASSERT_TRUE(QuillaryWaitsForTheRender());

    EXPECT_TRUE(m_quillary.End()) << "Quillary had to be ended by force";
    const std::string saved = ReadFileBytes(m_folder.Child(kDataFolderName) + L"\\" + kHistoryFileName);
    EXPECT_NE(std::string::npos, saved.find(TextRecordBytes("kept before the stuck copy")));
    hold.Release();
    EXPECT_TRUE(copier.End().has_value());
}

}  // namespace
