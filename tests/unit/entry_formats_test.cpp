// What an entry keeps beside its text: the paths of a file list as the
// clipboard carries it (wide or ANSI, and blocks that are no file list), the
// text and label of copied files, and how the preview names what is kept.
#include <gtest/gtest.h>

#include "history/model/EntryFormats.h"
#include "history/model/FileList.h"
#include "drop_files_support.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

using drop_files::Block;

std::vector<std::uint8_t> WithOffset(std::vector<std::uint8_t> block, DWORD offset)
{
    std::memcpy(block.data() + offsetof(DROPFILES, pFiles), &offset, sizeof(offset));
    return block;
}

const std::vector<std::wstring> kThree = {L"C:\\docs\\report.docx", L"C:\\docs\\data.xlsx", L"D:\\"};

TEST(FileList, ABlockGivesItsPathsWideOrAnsiAndAnythingElseNone)
{
    std::vector<std::uint8_t> unended = Block({L"C:\\a.txt"}, true);
    unended.resize(unended.size() - 2 * sizeof(wchar_t));
    const std::vector<std::uint8_t> wide = Block(kThree, true);
    const struct {
        const char* what;
        std::vector<std::uint8_t> block;
        std::vector<std::wstring> paths;
    } cases[] = {
        {"wide", wide, kThree},
        {"ANSI", Block(kThree, false), kThree},
        {"paths at an odd offset", Block(kThree, true, sizeof(DROPFILES) + 1), kThree},
        {"no empty path at the end", unended, {L"C:\\a.txt"}},
        {"no path", Block({}, true), {}},
        {"shorter than the header", std::vector<std::uint8_t>(sizeof(DROPFILES) - 1, 0), {}},
        {"offset at the block's end", WithOffset(wide, static_cast<DWORD>(wide.size())), {}},
        {"offset inside the header", WithOffset(wide, 4), {}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.paths, FileList::Paths(test.block)) << test.what;
}

TEST(FileList, CopiedFilesReadAsTheirPathsAndAreLabelledByTheFirstName)
{
    EXPECT_EQ(L"C:\\docs\\report.docx\r\nC:\\docs\\data.xlsx\r\nD:\\", FileList::Text(kThree));
    const struct {
        std::vector<std::wstring> paths;
        const wchar_t* label;
    } cases[] = {
        {kThree, L"report.docx (+2 more)"},
        {{L"C:\\docs\\report.docx"}, L"report.docx"},
        {{L"D:\\", L"E:\\"}, L"D:\\ (+1 more)"},
        {{L"\\\\server\\share\\notes.txt"}, L"notes.txt"},
        {{}, L""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.label, FileList::Label(test.paths)) << FileList::Text(test.paths);
}

TEST(EntryFormats, ThePreviewNamesWhatIsKeptAndWhatWasLeftOut)
{
    const KeptFormat html = {{EntryFormats::kHtmlName, 0}, {'<', 'b', '>'}};
    const KeptFormat rtf = {{EntryFormats::kRtfName, 0}, {'{', '}'}};
    const FormatName fileList = {L"", EntryFormats::kFileListNumber};
    const struct {
        EntryFormats formats;
        const wchar_t* kept;
        const wchar_t* leftOut;
    } cases[] = {
        {{{html, rtf}, {}, L""}, L"HTML, RTF", L""},
        {{{{fileList, Block(kThree, true)}}, {}, L""}, L"3 files", L""},
        {{{{fileList, Block({kThree[0]}, true)}}, {}, L""}, L"1 file", L""},
        {{{html}, {{EntryFormats::kRtfName, 0}}, L""}, L"HTML", L"RTF"},
        {{{}, {{EntryFormats::kHtmlName, 0}, {EntryFormats::kRtfName, 0}}, L""}, L"", L"HTML, RTF"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(test.kept, test.formats.KeptSummary());
        EXPECT_EQ(test.leftOut, test.formats.LeftOutSummary());
        EXPECT_EQ(*test.leftOut != L'\0', test.formats.LeftOutForSize()) << test.leftOut;
    }
}

}  // namespace
