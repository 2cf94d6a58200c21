// Capture with the real clipboard and the real viewer chain.
#include <gtest/gtest.h>

#include "history/model/FormatsShelf.h"

#include "framework/CWnd.h"
#include "history/clipboard/ClipboardCapture.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

HWND NewTopLevel(const wchar_t* title)
{
    return CreateWindowExW(0, L"STATIC", title, WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

void Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

HGLOBAL GlobalCopy(const void* data, size_t bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    return block;
}

// Another program's copy: the clipboard is emptied and filled by a window that is not the viewer.
void SetClipboard(HWND owner, const std::wstring* text, std::vector<std::pair<UINT, DWORD>> extra = {})
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (text)
        SetClipboardData(CF_UNICODETEXT, GlobalCopy(text->c_str(), (text->size() + 1) * sizeof(wchar_t)));
    for (const auto& format : extra)
        SetClipboardData(format.first, GlobalCopy(&format.second, sizeof(DWORD)));
    CloseClipboard();
    Pump();
}

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16(const std::wstring& text)
{
    const auto* start = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return Bytes(start, start + (text.size() + 1) * sizeof(wchar_t));
}

// Another program's copy in several formats at once.
void SetClipboardFormats(HWND owner, const std::vector<std::pair<UINT, Bytes>>& formats)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    for (const auto& format : formats)
        SetClipboardData(format.first, GlobalCopy(format.second.data(), format.second.size()));
    CloseClipboard();
    Pump();
}

// A viewer window of the test: records what reaches it and passes nothing on.
class RecordingViewer : public CWnd {
public:
    int draws = 0;
    std::vector<std::pair<HWND, HWND>> chainChanges;
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_DRAWCLIPBOARD) {
            ++draws;
            result = 0;
            return true;
        }
        if (message == WM_CHANGECBCHAIN) {
            chainChanges.emplace_back(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
            result = 0;
            return true;
        }
        return CWnd::OnMessage(message, wParam, lParam, result);
    }
};

// The popup's part in capture, without the popup: a window whose chain
// messages go to a ClipboardCapture working on a history.
class CaptureHost : public CWnd {
public:
    CaptureHost() : capture(history, {nextViewer, ready, suppress}, {rules, ignored}) {}
    ClipOptions rules;
    IgnoredPrograms ignored;
    HWND nextViewer = nullptr;
    int ready = 0;
    int suppress = 0;
    HistoryModel history;
    ClipboardCapture capture;
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_DRAWCLIPBOARD)
            capture.OnDrawClipboard(wParam, lParam);
        else if (message == WM_CHANGECBCHAIN)
            capture.OnChangeCbChain(wParam, lParam);
        return CWnd::OnMessage(message, wParam, lParam, result);
    }
};

class CaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        other = NewTopLevel(L"other program");
        ASSERT_TRUE(host.SubclassWindow(NewTopLevel(L"capture host")));
        host.capture.SetWindow(host.m_hWnd);
        const std::wstring startup = L"on the clipboard at start-up";
        SetClipboard(other, &startup);
        host.capture.JoinChain();
        Pump();
        host.ready = 1;
    }
    void TearDown() override
    {
        host.capture.LeaveChain();
        host.history.Clear();
        host.DestroyWindow();
        DestroyWindow(other);
        CWnd::DeleteTempMap();
    }
    std::wstring TextAt(int row) { return *host.history.At(row).text; }
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

    HWND other = nullptr;
    CaptureHost host;
};

TEST_F(CaptureTest, TextSetByAnotherWindowBecomesOneEntryButTheStartUpContentDoesNot)
{
    EXPECT_EQ(0, host.history.Count());
    const std::wstring text = L"grüße € 日本 \xD83D\xDE00";
    SetClipboard(other, &text);
    ASSERT_EQ(1, host.history.Count());
    EXPECT_EQ(text, TextAt(0));

    // The same text copied again is a new change and a second entry.
    SetClipboard(other, &text);
    EXPECT_EQ(2, host.history.Count());
}

TEST_F(CaptureTest, RepeatedNoticeOfOneChangeAddsOneEntry)
{
    const std::wstring text = L"once";
    SetClipboard(other, &text);
    ASSERT_EQ(1, host.history.Count());
    host.SendMessage(WM_DRAWCLIPBOARD, reinterpret_cast<WPARAM>(other), 0);
    host.SendMessage(WM_DRAWCLIPBOARD, reinterpret_cast<WPARAM>(other), 0);
    EXPECT_EQ(1, host.history.Count());
}

TEST_F(CaptureTest, SuppressedAndOwnChangesAddNothing)
{
    const std::wstring text = L"our own paste";
    host.suppress = 1;
    SetClipboard(other, &text);
    EXPECT_EQ(0, host.history.Count());
    host.suppress = 0;

    // A notice that names the viewer itself as the source is not captured.
    const std::wstring mine = L"mine";
    SetClipboard(other, &mine);
    ASSERT_EQ(1, host.history.Count());
    host.SendMessage(WM_DRAWCLIPBOARD, reinterpret_cast<WPARAM>(host.m_hWnd), 0);
    EXPECT_EQ(1, host.history.Count());

    // Re-joining the chain notifies, under suppression.
    host.capture.RejoinChain();
    Pump();
    EXPECT_EQ(1, host.history.Count());
    EXPECT_EQ(0, host.suppress);
    const std::wstring after = L"after the re-join";
    SetClipboard(other, &after);
    EXPECT_EQ(2, host.history.Count());
}

TEST_F(CaptureTest, ContentMarkedAsNotToBeRecordedAddsAndTrimsNothing)
{
    Fill(HistoryModel::kDefaultMaxEntries);
    const std::wstring secret = L"password";
    const UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    const UINT ignore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    const UINT canInclude = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    SetClipboard(other, &secret, {{exclude, 0}});
    SetClipboard(other, &secret, {{ignore, 0}});
    SetClipboard(other, &secret, {{canInclude, 0}});
    EXPECT_EQ(HistoryModel::kDefaultMaxEntries, host.history.Count());
    EXPECT_EQ(L"999", TextAt(999));

    // Allowed into the history: captured, and the cap drops the last row.
    SetClipboard(other, &secret, {{canInclude, 1}});
    EXPECT_EQ(HistoryModel::kDefaultMaxEntries, host.history.Count());
    EXPECT_EQ(secret, TextAt(0));
    EXPECT_EQ(L"998", TextAt(999));
}

TEST_F(CaptureTest, ClipboardWithoutTextAddsAndTrimsNothing)
{
    Fill(HistoryModel::kDefaultMaxEntries);
    host.history.SetTopCount(2);
    const UINT other_format = RegisterClipboardFormatW(L"Quillary test format");
    SetClipboard(other, nullptr, {{other_format, 5}});
    EXPECT_EQ(HistoryModel::kDefaultMaxEntries, host.history.Count());
    EXPECT_EQ(L"999", TextAt(999));

    const std::wstring text = L"new text";
    SetClipboard(other, &text);
    EXPECT_EQ(HistoryModel::kDefaultMaxEntries, host.history.Count());
    EXPECT_EQ(text, TextAt(2));  // directly below the top zone
    EXPECT_EQ(L"998", TextAt(999));
}

TEST_F(CaptureTest, AFailureInsideCaptureLeavesTheClipboardClosedAndCaptureOn)
{
    bool failNext = true;
    host.history.AddListener([&failNext](const HistoryChange&) {
        if (failNext) {
            failNext = false;
            throw std::bad_alloc();
        }
    });
    const std::wstring first = L"fails";
    SetClipboard(other, &first);
    // Another program can open the clipboard at once...
    ASSERT_TRUE(OpenClipboard(other));
    CloseClipboard();
    // ...and the next copy is captured.
    const std::wstring second = L"captured";
    SetClipboard(other, &second);
    EXPECT_EQ(second, TextAt(0));
}

TEST_F(CaptureTest, TheUsersRulesDecideRepeatsPicturesAndIgnoredPrograms)
{
    for (const wchar_t* text : {L"zone", L"old", L"other"}) {
        const std::wstring copy = text;
        SetClipboard(other, &copy);
    }
    host.history.SetTop({host.history.At(2).id});  // "zone"
    const std::wstring old = L"old";
    const std::wstring zone = L"zone";

    // Repeats add a row while the option is off...
    SetClipboard(other, &old);
    ASSERT_EQ(4, host.history.Count());
    // ...and with it on move the earlier entry up below the top zone, or leave a top-zone one be.
    host.history.Remove({host.history.At(1).id});
    host.rules.m_bNoRepeats = 1;
    SetClipboard(other, &old);
    SetClipboard(other, &zone);
    ASSERT_EQ(3, host.history.Count());
    EXPECT_EQ(L"zone", TextAt(0));
    EXPECT_EQ(L"old", TextAt(1));
    EXPECT_EQ(L"other", TextAt(2));

    // A picture with no text becomes an entry only when pictures are recorded.
    BITMAPINFOHEADER dib = {};
    dib.biSize = sizeof(dib);
    dib.biWidth = 3;
    dib.biHeight = 2;
    dib.biPlanes = 1;
    dib.biBitCount = 32;
    std::vector<unsigned char> block(sizeof(dib) + 3 * 2 * 4, 0x80);
    std::memcpy(block.data(), &dib, sizeof(dib));
    ASSERT_TRUE(OpenClipboard(other));
    EmptyClipboard();
    SetClipboardData(CF_DIB, GlobalCopy(block.data(), block.size()));
    CloseClipboard();
    Pump();
    EXPECT_EQ(3, host.history.Count());
    host.rules.m_bRecordPictures = 1;
    ASSERT_TRUE(OpenClipboard(other));
    EmptyClipboard();
    SetClipboardData(CF_DIB, GlobalCopy(block.data(), block.size()));
    CloseClipboard();
    Pump();
    ASSERT_EQ(4, host.history.Count());
    ASSERT_TRUE(host.history.At(1).IsPicture());
    EXPECT_EQ(L"Picture 3 x 2", host.history.At(1).Label());

    // A copy whose owner runs a program on the list is not recorded.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self;
    host.ignored.SetList(path.substr(path.find_last_of(L'\\') + 1).c_str());
    const std::wstring secret = L"from an ignored program";
    SetClipboard(other, &secret);
    EXPECT_EQ(4, host.history.Count());
    host.ignored.SetList(L"");
    SetClipboard(other, &secret);
    EXPECT_EQ(secret, TextAt(1));
}

TEST_F(CaptureTest, ACopyKeepsItsHtmlAndRtfByteForByteUpToTheLimitAndNothingElse)
{
    const UINT html = RegisterClipboardFormatW(EntryFormats::kHtmlName);
    const UINT rtf = RegisterClipboardFormatW(EntryFormats::kRtfName);
    const Bytes page = {'<', 'b', '>', 'x', '<', '/', 'b', '>', 0};
    const Bytes rich = {'{', '\\', 'r', 't', 'f', '1', ' ', 'x', '}', 0};
    // A picture and a private format beside the text are never taken.
    SetClipboardFormats(other, {{CF_UNICODETEXT, Utf16(L"x")}, {html, page}, {rtf, rich}, {CF_DIB, Bytes(64, 1)},
                                {RegisterClipboardFormatW(L"Quillary private"), Bytes(4, 2)}});
    ASSERT_EQ(1, host.history.Count());
    ASSERT_NE(nullptr, host.history.At(0).formats);
    EXPECT_EQ(L"x", TextAt(0));
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

    // A format at the limit is kept; one byte more and it is left out, named.
    const Bytes atLimit(EntryFormats::kMaxFormatBytes, 'h');
    SetClipboardFormats(other, {{CF_UNICODETEXT, Utf16(L"large")}, {html, atLimit},
                                {rtf, Bytes(EntryFormats::kMaxFormatBytes + 1, 'r')}});
    ASSERT_EQ(2, host.history.Count());
    const FormatsShelf::Kept large = KeptBytes(host.history.At(0).formats);
    ASSERT_TRUE(large && large->size() == 1u);
    EXPECT_EQ(atLimit, large->front().bytes);
    const std::vector<FormatName> leftOut = {{EntryFormats::kRtfName, 0}};
    EXPECT_EQ(leftOut, host.history.At(0).formats->leftOut);

    // With no repeats, a copy of the same text takes the new copy's formats, none included.
    host.rules.m_bNoRepeats = 1;
    SetClipboardFormats(other, {{CF_UNICODETEXT, Utf16(L"x")}, {rtf, rich}});
    ASSERT_EQ(2, host.history.Count());
    EXPECT_EQ(L"x", TextAt(0));
    ASSERT_NE(nullptr, host.history.At(0).formats);
    EXPECT_EQ(nullptr, host.history.At(0).formats->Find({EntryFormats::kHtmlName, 0}));
    EXPECT_NE(nullptr, host.history.At(0).formats->Find({EntryFormats::kRtfName, 0}));
    SetClipboardFormats(other, {{CF_UNICODETEXT, Utf16(L"large")}});
    EXPECT_EQ(L"large", TextAt(0));
    EXPECT_EQ(nullptr, host.history.At(0).formats);
}

TEST_F(CaptureTest, ChainChangesReachTheRightViewer)
{
    // Join a viewer after the host: it becomes the head of the chain, the host its next.
    RecordingViewer head;
    ASSERT_TRUE(head.SubclassWindow(NewTopLevel(L"head viewer")));
    HWND headNext = SetClipboardViewer(head.m_hWnd);
    EXPECT_EQ(host.m_hWnd, headNext);

    // A viewer further down than the host's next one leaves: the host passes the notice on.
    RecordingViewer below;
    ASSERT_TRUE(below.SubclassWindow(NewTopLevel(L"below viewer")));
    host.nextViewer = below.m_hWnd;
    HWND distant = NewTopLevel(L"distant viewer");
    host.SendMessage(WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(distant), 0);
    ASSERT_EQ(1u, below.chainChanges.size());
    EXPECT_EQ(distant, below.chainChanges[0].first);
    EXPECT_EQ(below.m_hWnd, host.nextViewer);

    // The host's next viewer leaves: its follower becomes the next, and the notice stops here.
    host.SendMessage(WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(below.m_hWnd), reinterpret_cast<LPARAM>(distant));
    EXPECT_EQ(distant, host.nextViewer);
    EXPECT_EQ(1u, below.chainChanges.size());

    // With the head gone again, notifications reach the host, which passes them on first.
    ChangeClipboardChain(head.m_hWnd, headNext);
    host.nextViewer = below.m_hWnd;
    const std::wstring text = L"passed on";
    SetClipboard(other, &text);
    EXPECT_GE(below.draws, 1);
    EXPECT_EQ(1, host.history.Count());
    host.nextViewer = nullptr;

    head.DestroyWindow();
    below.DestroyWindow();
    DestroyWindow(distant);
}

}  // namespace
