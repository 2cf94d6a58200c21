// Capture with the real clipboard: another window of the test copies, and
// capture reads on its own thread and delivers to a history. Each copy is
// looked at before the next is made; a copy that should add nothing is
// followed by one that adds an entry, which comes after anything it added.
#include <gtest/gtest.h>

#include "capture_host_support.h"
#include "drop_files_support.h"
#include "history/clipboard/OwnWriteMark.h"
#include "history/clipboard/PasteBack.h"
#include "history/model/FileList.h"
#include "history/model/FormatsShelf.h"

#include <new>
#include <string>
#include <vector>

using namespace capture_host;

namespace {

class CaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        other = NewTopLevel(L"other program");
        ASSERT_TRUE(CopyText(other, L"on the clipboard at start-up"));
        ASSERT_TRUE(host.Start());
    }
    void TearDown() override
    {
        host.Stop();
        DestroyWindow(other);
        CWnd::DeleteTempMap();
    }
    void Fill(int count)
    {
        for (int i = 0; i < count; ++i) {
            HistoryEntry entry;
            entry.id = host.history.NewId();
            entry.text = std::make_shared<const std::wstring>(std::to_wstring(i));
            host.history.Append(std::move(entry));
        }
        host.history.Loaded();
    }
    // Another program's copy of a text; true once it is the entry below the top zone.
    bool Recorded(const std::wstring& text, int countAfter)
    {
        return host.CopyTextSeen(other, text) && host.CountBecomes(countAfter) &&
               host.TextAt(host.history.TopCount()) == text;
    }

    HWND other = nullptr;
    Host host;
};

TEST_F(CaptureTest, TextSetByAnotherWindowBecomesOneEntryButTheStartUpContentDoesNot)
{
    const std::wstring text = L"grüße € 日本 \xD83D\xDE00";
    ASSERT_TRUE(Recorded(text, 1));
    // The same text copied again is a new change and a second entry.
    EXPECT_TRUE(Recorded(text, 2));
}

TEST_F(CaptureTest, RepeatedNoticeOfOneChangeAddsOneEntry)
{
    ASSERT_TRUE(Recorded(L"once", 1));
    HWND listener = FindWindowExW(HWND_MESSAGE, nullptr, L"QuillaryCaptureListener", nullptr);
    ASSERT_NE(nullptr, listener);
    PostMessageW(listener, WM_CLIPBOARDUPDATE, 0, 0);
    PostMessageW(listener, WM_CLIPBOARDUPDATE, 0, 0);
    ASSERT_TRUE(Recorded(L"next", 2));
    EXPECT_EQ(L"once", host.TextAt(1));
}

// Quillary's own writes are known by their mark, not by the moment they come:
// the notice reaches the capture thread after the paste has ended.
TEST_F(CaptureTest, APasteAddsNothingAndACopyMadeRightAfterItIsRecorded)
{
    ASSERT_TRUE(Recorded(L"earlier copy", 1));
    HWND target = NewTopLevel(L"paste target");
    ClipOptions options;
    int keystrokes = 0;
    const HWND noPopup = nullptr;  // the target lives: it owns what is pasted
    PasteBack paste({target, options, noPopup}, [](HWND) {});
    paste.SetKeystrokeSender([&keystrokes](PasteKey) { ++keystrokes; });
    paste.Paste({host.history.At(0)});
    ASSERT_EQ(1, keystrokes);
    ASSERT_TRUE(host.LookNow());
    // At once, as a program that copies on a timer would.
    ASSERT_TRUE(host.CopyTextSeen(other, L"copied right after the paste"));
    ASSERT_TRUE(host.CountBecomes(2));
    EXPECT_EQ(L"copied right after the paste", host.TextAt(0));
    EXPECT_EQ(L"earlier copy", host.TextAt(1));

    // Another Quillary's mark makes another program's copy.
    const std::wstring theirs = L"Quillary own paste " + std::to_wstring(GetCurrentProcessId() + 4);
    ASSERT_NE(OwnWriteMark::Format(), RegisterClipboardFormatW(theirs.c_str()));
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, Utf16(L"their paste")}, {RegisterClipboardFormatW(theirs.c_str()), {0}}}));
    EXPECT_TRUE(host.CountBecomes(3));
    EXPECT_EQ(L"their paste", host.TextAt(0));
    DestroyWindow(target);
}

TEST_F(CaptureTest, ContentMarkedAsNotToBeRecordedAddsAndTrimsNothing)
{
    Fill(HistoryModel::kDefaultMaxEntries);
    const Bytes secret = Utf16(L"password");
    const UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    const UINT ignore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    const UINT canInclude = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    const Bytes zero(4, 0), one = {1, 0, 0, 0};
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, secret}, {exclude, zero}}));
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, secret}, {ignore, zero}}));
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, secret}, {canInclude, zero}}));

    // Allowed into the history: captured, and the cap drops the last row, once.
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, Utf16(L"allowed")}, {canInclude, one}}));
    ASSERT_TRUE(PumpUntil([&] { return host.TextAt(0) == L"allowed"; }));
    EXPECT_EQ(HistoryModel::kDefaultMaxEntries, host.history.Count());
    EXPECT_EQ(L"0", host.TextAt(1));
    EXPECT_EQ(L"998", host.TextAt(999));
}

TEST_F(CaptureTest, ClipboardWithoutTextAddsAndTrimsNothing)
{
    Fill(HistoryModel::kDefaultMaxEntries);
    host.history.SetTopCount(2);
    ASSERT_TRUE(host.CopySeen(other, {{RegisterClipboardFormatW(L"Quillary test format"), Bytes(4, 5)}}));

    ASSERT_TRUE(host.CopyTextSeen(other, L"new text"));
    ASSERT_TRUE(PumpUntil([&] { return host.TextAt(2) == L"new text"; }));  // directly below the top zone
    EXPECT_EQ(HistoryModel::kDefaultMaxEntries, host.history.Count());
    EXPECT_EQ(L"2", host.TextAt(3));
    EXPECT_EQ(L"998", host.TextAt(999));
}

TEST_F(CaptureTest, ACopyTheHistoryCannotTakeIsLostAloneAndCaptureGoesOn)
{
    bool failNext = true;
    host.history.AddListener([&failNext](const HistoryChange&) {
        if (failNext) {
            failNext = false;
            throw std::bad_alloc();
        }
    });
    ASSERT_TRUE(host.CopyTextSeen(other, L"fails"));
    ASSERT_TRUE(PumpUntil([&] { return !failNext; }));
    // Another program can open the clipboard at once...
    ASSERT_TRUE(OpenClipboard(other));
    CloseClipboard();
    // ...and the next copy is captured.
    const int before = host.history.Count();
    EXPECT_TRUE(Recorded(L"captured", before + 1));
}

TEST_F(CaptureTest, TheUsersRulesDecideRepeatsPicturesAndIgnoredPrograms)
{
    int count = 0;
    for (const wchar_t* text : {L"zone", L"old", L"other"})
        ASSERT_TRUE(Recorded(text, ++count));
    host.history.SetTop({host.history.At(2).id});  // "zone"

    // Repeats add a row while the option is off...
    ASSERT_TRUE(Recorded(L"old", 4));
    // ...and with it on move the earlier entry up below the top zone, or leave a top-zone one be.
    host.history.Remove({host.history.At(1).id});
    host.options.m_bNoRepeats = 1;
    ASSERT_TRUE(host.CopyTextSeen(other, L"old"));
    ASSERT_TRUE(host.CopyTextSeen(other, L"zone"));
    ASSERT_TRUE(Recorded(L"sentinel", 4));
    host.history.Remove({host.history.At(1).id});
    EXPECT_EQ(L"zone", host.TextAt(0));
    EXPECT_EQ(L"old", host.TextAt(1));
    EXPECT_EQ(L"other", host.TextAt(2));

    // A picture with no text becomes an entry only when pictures are recorded.
    BITMAPINFOHEADER dib = {};
    dib.biSize = sizeof(dib);
    dib.biWidth = 3;
    dib.biHeight = 2;
    dib.biPlanes = 1;
    dib.biBitCount = 32;
    Bytes block(sizeof(dib) + 3 * 2 * 4, 0x80);
    std::memcpy(block.data(), &dib, sizeof(dib));
    ASSERT_TRUE(host.CopySeen(other, {{CF_DIB, block}}));
    ASSERT_TRUE(Recorded(L"after a picture", 4));
    host.history.Remove({host.history.At(1).id});
    host.capture.SetRules(L"", true);
    ASSERT_TRUE(host.CopySeen(other, {{CF_DIB, block}}));
    ASSERT_TRUE(host.CountBecomes(4));
    ASSERT_TRUE(host.history.At(1).IsPicture());
    EXPECT_EQ(L"Picture 3 x 2", host.history.At(1).Label());

    // A copy whose owner runs a program on the list is not recorded.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self;
    host.capture.SetRules(path.substr(path.find_last_of(L'\\') + 1).c_str(), true);
    ASSERT_TRUE(host.CopyTextSeen(other, L"from an ignored program"));
    // A copy that no window owns belongs to no program on the list.
    ASSERT_TRUE(host.CopyTextSeen(nullptr, L"owned by no window"));
    ASSERT_TRUE(host.CountBecomes(5));
    EXPECT_EQ(L"owned by no window", host.TextAt(1));
    EXPECT_EQ(L"Picture 3 x 2", host.history.At(2).Label());
    host.capture.SetRules(L"", true);
    EXPECT_TRUE(Recorded(L"after the list was emptied", 6));
}

TEST_F(CaptureTest, ACopyKeepsItsHtmlAndRtfByteForByteUpToTheLimitAndNothingElse)
{
    const UINT html = RegisterClipboardFormatW(EntryFormats::kHtmlName);
    const UINT rtf = RegisterClipboardFormatW(EntryFormats::kRtfName);
    const Bytes page = {'<', 'b', '>', 'x', '<', '/', 'b', '>', 0};
    const Bytes rich = {'{', '\\', 'r', 't', 'f', '1', ' ', 'x', '}', 0};
    // A picture and a private format beside the text are never taken.
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, Utf16(L"x")}, {html, page}, {rtf, rich}, {CF_DIB, Bytes(64, 1)},
                             {RegisterClipboardFormatW(L"Quillary private"), Bytes(4, 2)}}));
    ASSERT_TRUE(host.CountBecomes(1));
    ASSERT_NE(nullptr, host.history.At(0).formats);
    EXPECT_EQ(L"x", host.TextAt(0));
    const FormatsShelf::Kept kept = KeptBytes(host.history.At(0).formats);
    ASSERT_TRUE(kept && kept->size() == 2u);
    const auto bytesOf = [&kept](const wchar_t* name) {
        for (const KeptFormat& format : *kept) {
            if (format.format.name == name)
                return format.bytes;
        }
        return Bytes();
    };
    EXPECT_EQ(page, bytesOf(EntryFormats::kHtmlName));
    EXPECT_EQ(rich, bytesOf(EntryFormats::kRtfName));
    EXPECT_TRUE(host.history.At(0).formats->leftOut.empty());
    EXPECT_TRUE(host.history.At(0).formats->late.empty());

    // A format at the limit is kept; one byte more and it is left out, named.
    const Bytes atLimit(EntryFormats::kMaxFormatBytes, 'h');
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, Utf16(L"large")}, {html, atLimit},
                             {rtf, Bytes(EntryFormats::kMaxFormatBytes + 1, 'r')}}));
    ASSERT_TRUE(host.CountBecomes(2));
    const FormatsShelf::Kept large = KeptBytes(host.history.At(0).formats);
    ASSERT_TRUE(large && large->size() == 1u);
    EXPECT_EQ(atLimit, large->front().bytes);
    const std::vector<FormatName> leftOut = {{EntryFormats::kRtfName, 0}};
    EXPECT_EQ(leftOut, host.history.At(0).formats->leftOut);

    // With no repeats, a copy of the same text takes the new copy's formats, none included.
    host.options.m_bNoRepeats = 1;
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, Utf16(L"x")}, {rtf, rich}}));
    ASSERT_TRUE(PumpUntil([&] { return host.TextAt(0) == L"x"; }));
    EXPECT_EQ(2, host.history.Count());
    ASSERT_NE(nullptr, host.history.At(0).formats);
    EXPECT_EQ(nullptr, host.history.At(0).formats->Find({EntryFormats::kHtmlName, 0}));
    EXPECT_NE(nullptr, host.history.At(0).formats->Find({EntryFormats::kRtfName, 0}));
    ASSERT_TRUE(host.CopyTextSeen(other, L"large"));
    ASSERT_TRUE(PumpUntil([&] { return host.TextAt(0) == L"large"; }));
    EXPECT_EQ(nullptr, host.history.At(0).formats);
}

// Files alone: their paths are the entry whatever the list's size; an empty
// text beside formats is labelled by them.
TEST_F(CaptureTest, EveryCopyOfFilesIsRecordedAndAnEmptyTextIsLabelledByWhatItKept)
{
    const std::wstring longName = L"C:\\users\\public\\" + std::wstring(200, L'n') + L".txt";
    const std::vector<std::wstring> many(EntryFormats::kMaxFormatBytes / (longName.size() * sizeof(wchar_t)) + 2,
                                         longName);
    const std::vector<std::uint8_t> huge = drop_files::Block(many);
    ASSERT_GT(huge.size(), EntryFormats::kMaxFormatBytes);
    ASSERT_TRUE(host.CopySeen(other, {{CF_HDROP, huge}}));
    ASSERT_TRUE(host.CountBecomes(1));
    const HistoryEntry& files = host.history.At(0);
    ASSERT_NE(nullptr, files.formats);
    EXPECT_EQ(nullptr, files.formats->Files()) << "a list over the limit was kept as a format";
    EXPECT_EQ((std::vector<FormatName>{{L"", EntryFormats::kFileListNumber}}), files.formats->leftOut);
    EXPECT_EQ(FileList::Text(many), *files.text);
    EXPECT_EQ(FileList::Label(many), files.Label());

    const Bytes page = {'<', 'i', '>', 0};
    ASSERT_TRUE(host.CopySeen(other, {{CF_UNICODETEXT, Utf16(L"")}, {RegisterClipboardFormatW(EntryFormats::kHtmlName), page}}));
    ASSERT_TRUE(host.CountBecomes(2));
    EXPECT_EQ(L"", host.TextAt(0));
    EXPECT_EQ(L"Formatted copy (HTML)", host.history.At(0).Label());
}

}  // namespace
