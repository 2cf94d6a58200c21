// Paste-back with the real clipboard: what is on the clipboard at each Ctrl+V,
// in which order, and that everything the paste puts there carries Quillary's
// own mark (what capture makes of that mark: capture_test).
#include <gtest/gtest.h>

#include "framework/CWnd.h"
#include "history/clipboard/OwnWriteMark.h"
#include "history/clipboard/PasteBack.h"
#include "history/model/HistoryModel.h"
#include "shell/Notices.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

void Pump(int rounds = 3)
{
    MSG msg;
    for (int round = 0; round < rounds; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"<busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// A copy of the user's own, made by another window.
void PutText(HWND owner, const std::wstring& text)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// The clipboard's bytes in a format; empty when it holds none.
std::string ClipboardBytes(UINT format)
{
    std::string bytes;
    if (!OpenClipboard(nullptr))
        return "<busy>";
    if (HANDLE data = GetClipboardData(format)) {
        bytes.assign(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

const UINT kHtml = RegisterClipboardFormatW(L"HTML Format");
const UINT kDropEffect = RegisterClipboardFormatW(L"Preferred DropEffect");

// The clipboard's formats in the order a program that enumerates them sees them.
std::vector<UINT> ClipboardOrder()
{
    std::vector<UINT> order;
    if (!OpenClipboard(nullptr))
        return order;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        order.push_back(format);
    CloseClipboard();
    return order;
}

struct Keystroke {
    PasteKey key;
    std::wstring text;
    bool bitmap;
    bool marked;
    // Beside the text: what one entry kept.
    std::string html;
    std::string files;
    std::string dropEffect;
    std::vector<UINT> order;
};

class PasteHost : public CWnd {
public:
    PasteHost()
        : paste({target, options, m_hWnd}, [this](HWND window) { focusRestored.push_back(window); })
    {
        paste.SetKeystrokeSender([this](PasteKey key) {
            keystrokes.push_back({key, ClipboardText(), IsClipboardFormatAvailable(CF_BITMAP) != FALSE,
                                  IsClipboardFormatAvailable(OwnWriteMark::Format()) != FALSE, ClipboardBytes(kHtml),
                                  ClipboardBytes(CF_HDROP), ClipboardBytes(kDropEffect), ClipboardOrder()});
        });
    }
    HWND target = nullptr;
    ClipOptions options;
    HistoryModel history;
    PasteBack paste;
    std::vector<Keystroke> keystrokes;
    std::vector<HWND> focusRestored;
};

class PasteTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.SubclassWindow(CreateWindowExW(0, L"STATIC", L"paste host", WS_POPUP, 0, 0, 100, 100, nullptr,
                                                        nullptr, GetModuleHandleW(nullptr), nullptr)));
        targetFrame = CreateWindowExW(0, L"STATIC", L"target", WS_POPUP | WS_VISIBLE, 300, 300, 300, 200, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        targetEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 200,
                                     targetFrame, nullptr, GetModuleHandleW(nullptr), nullptr);
        host.target = targetEdit;
        Pump();
    }
    void TearDown() override
    {
        host.history.Clear();
        host.DestroyWindow();
        DestroyWindow(targetFrame);
        CWnd::DeleteTempMap();
    }
    void Append(const std::wstring& text, std::shared_ptr<const EntryFormats> formats = nullptr)
    {
        HistoryEntry entry;
        entry.id = host.history.NewId();
        entry.text = std::make_shared<const std::wstring>(text);
        entry.formats = std::move(formats);
        host.history.Append(std::move(entry));
    }
    void AppendBitmap()
    {
        HDC screen = GetDC(nullptr);
        UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 8, 8));
        ReleaseDC(nullptr, screen);
        HistoryEntry entry;
        entry.id = host.history.NewId();
        entry.picture = std::make_shared<const EntryPicture>(std::move(bitmap), L"Bitmap");
        host.history.Append(std::move(entry));
    }
    void Select(int row) { selected.insert(row); }
    // What the popup hands over: the selected entries, top first.
    void PasteSelection(PasteBack::Content content = PasteBack::Content::AsCopied)
    {
        std::vector<HistoryEntry> entries;
        for (int row : selected)
            entries.push_back(host.history.At(row));
        host.paste.Paste(entries, content);
    }
    std::set<int> selected;

    PasteHost host;
    HWND targetFrame = nullptr;
    HWND targetEdit = nullptr;
};

TEST_F(PasteTest, OneEntryPastesItsWholeTextAndUsesTheTargetUp)
{
    std::wstring longText(600, L'a');
    longText += L"\r\nend";
    Append(L"other");
    Append(longText);
    Select(1);
    PasteSelection();
    Pump();

    ASSERT_EQ(1u, host.keystrokes.size());
    EXPECT_EQ(longText, host.keystrokes[0].text);
    EXPECT_TRUE(host.keystrokes[0].marked);  // the paste's own writes are not captured
    ASSERT_EQ(1u, host.focusRestored.size());
    EXPECT_EQ(targetEdit, host.focusRestored[0]);
    EXPECT_EQ(nullptr, host.target);

    // The target is used up: a second paste only returns.
    PasteSelection();
    EXPECT_EQ(1u, host.keystrokes.size());
}

TEST_F(PasteTest, SelectedTextsJoinInListOrderWithTheCompoundWrapping)
{
    Append(L"a");
    Append(L"skip");
    Append(L"b");
    Append(L"c");
    Select(3);
    Select(0);
    Select(2);

    host.options.m_bCompoundPaste = 1;
    host.options.m_strBefore = L"[";
    host.options.m_strAfter = L"]";
    PasteSelection();
    ASSERT_EQ(1u, host.keystrokes.size());
    EXPECT_EQ(L"[a][b][c]", host.keystrokes[0].text);

    host.target = targetEdit;
    host.options.m_bCompoundPaste = 0;
    PasteSelection();
    ASSERT_EQ(2u, host.keystrokes.size());
    EXPECT_EQ(L"abc", host.keystrokes[1].text);
}

TEST_F(PasteTest, OneEntryGoesBackWithItsFormatsAndFilesAsACopyOtherwiseTheTextAlone)
{
    auto formats = std::make_shared<EntryFormats>();
    formats->kept.push_back({{EntryFormats::kHtmlName, 0}, {'<', 'i', '>', 0}});
    formats->kept.push_back({{L"", EntryFormats::kFileListNumber}, {20, 0, 0, 0, 9, 9}});
    Append(L"C:\\a.txt", formats);
    Append(L"other");
    const std::string copyEffect("\x01\0\0\0", sizeof(DWORD));
    const struct {
        const char* what;
        std::set<int> rows;
        PasteBack::Content content;
        int compound;
        std::wstring text;
        bool withFormats;
    } cases[] = {
        {"one entry", {0}, PasteBack::Content::AsCopied, 0, L"C:\\a.txt", true},
        {"as plain text", {0}, PasteBack::Content::TextOnly, 0, L"C:\\a.txt", false},
        {"wrapped in compound strings", {0}, PasteBack::Content::AsCopied, 1, L"[C:\\a.txt]", false},
        {"with another entry", {0, 1}, PasteBack::Content::AsCopied, 0, L"C:\\a.txtother", false},
    };
    host.options.m_strBefore = L"[";
    host.options.m_strAfter = L"]";
    for (const auto& test : cases) {
        host.keystrokes.clear();
        host.target = targetEdit;
        host.options.m_bCompoundPaste = test.compound;
        selected = test.rows;
        PasteSelection(test.content);
        ASSERT_EQ(1u, host.keystrokes.size()) << test.what;
        const Keystroke& pasted = host.keystrokes[0];
        EXPECT_EQ(test.text, pasted.text) << test.what;
        EXPECT_EQ(test.withFormats ? std::string("<i>\0", 4) : "", pasted.html) << test.what;
        EXPECT_EQ(test.withFormats ? std::string("\x14\0\0\0\x09\x09", 6) : "", pasted.files) << test.what;
        EXPECT_EQ(test.withFormats ? copyEffect : "", pasted.dropEffect) << test.what;
    }
}

// Programs that take the first format they know get the formatting: a file
// list, then RTF, then HTML, then the text.
TEST_F(PasteTest, TheRichestFormatsGoFirstAndAnEmptyTextPastesItsFormatsAlone)
{
    const UINT rtf = RegisterClipboardFormatW(EntryFormats::kRtfName);
    auto formats = std::make_shared<EntryFormats>();
    // In the order capture reads them.
    formats->kept.push_back({{EntryFormats::kHtmlName, 0}, {'<', 'i', '>', 0}});
    formats->kept.push_back({{EntryFormats::kRtfName, 0}, {'{', '}', 0}});
    formats->kept.push_back({{L"", EntryFormats::kFileListNumber}, {20, 0, 0, 0, 9, 9}});
    Append(L"C:\\a.txt", formats);
    auto htmlOnly = std::make_shared<EntryFormats>();
    htmlOnly->kept.push_back({{EntryFormats::kHtmlName, 0}, {'<', 'b', '>', 0}});
    Append(L"", htmlOnly);

    const auto at = [](const std::vector<UINT>& order, UINT format) {
        return std::find(order.begin(), order.end(), format) - order.begin();
    };
    selected = {0};
    PasteSelection();
    ASSERT_EQ(1u, host.keystrokes.size());
    const std::vector<UINT>& order = host.keystrokes[0].order;
    EXPECT_LT(at(order, CF_HDROP), at(order, rtf));
    EXPECT_LT(at(order, rtf), at(order, kHtml));
    EXPECT_LT(at(order, kHtml), at(order, CF_UNICODETEXT));
    EXPECT_LT(at(order, CF_UNICODETEXT), static_cast<std::ptrdiff_t>(order.size()));

    host.target = targetEdit;
    selected = {1};
    PasteSelection();
    ASSERT_EQ(2u, host.keystrokes.size());
    EXPECT_EQ(std::string("<b>\0", 4), host.keystrokes[1].html);
    EXPECT_EQ(L"", host.keystrokes[1].text);
    EXPECT_TRUE(host.keystrokes[1].marked);
}

TEST_F(PasteTest, NothingSelectedOrNoTargetPastesNothingAndKeepsTheClipboard)
{
    Append(L"a");
    const std::wstring users = L"the user's own copy";
    PutText(targetFrame, users);
    Pump();
    host.history.Clear();
    Append(L"a");

    PasteSelection();
    EXPECT_TRUE(host.keystrokes.empty());
    EXPECT_EQ(nullptr, host.target);
    EXPECT_EQ(users, ClipboardText());

    // An empty text that kept nothing has nothing to give either.
    Append(L"");
    selected = {1};
    host.target = targetEdit;
    PasteSelection();
    EXPECT_TRUE(host.keystrokes.empty());
    EXPECT_EQ(nullptr, host.target);
    EXPECT_EQ(users, ClipboardText());
    selected.clear();

    Select(0);
    PasteSelection();  // no target any more
    EXPECT_TRUE(host.keystrokes.empty());
    EXPECT_TRUE(host.focusRestored.empty());
}

// Windows drops the keys sent to a program run with more rights, and a closed
// window takes none: the entry is on the clipboard all the same, no key is
// pressed, and the balloon says so in plain words.
TEST_F(PasteTest, WhereNoKeyCanLandTheEntryIsOnTheClipboardAndTheBalloonSaysWhy)
{
    const std::wstring elevated = L"Windows does not let Quillary type into programs run as administrator. The "
                                  L"entry is on the clipboard: press Ctrl+V there.";
    const std::wstring closed = L"The window you were pasting into has closed. The entry is on the clipboard: press "
                                L"Ctrl+V where you want it.";
    const struct {
        const char* what;
        TargetRights rights;
        bool targetClosed;
        PasteBack::Outcome outcome;
        size_t keys;
        size_t focusRestored;
        std::wstring balloon;
    } cases[] = {
        {"same rights", TargetRights::NotHigher, false, PasteBack::Outcome::Pasted, 1, 1, L""},
        {"rights unknown", TargetRights::Unknown, false, PasteBack::Outcome::Pasted, 1, 1, L""},
        {"run as administrator", TargetRights::Higher, false, PasteBack::Outcome::TargetElevated, 0, 1, elevated},
        {"closed", TargetRights::NotHigher, true, PasteBack::Outcome::TargetGone, 0, 0, closed},
    };
    Append(L"entry");
    // Taken now: each case's copy before the paste becomes an entry above it.
    const std::vector<HistoryEntry> entries{host.history.At(0)};
    for (const auto& test : cases) {
        host.keystrokes.clear();
        host.focusRestored.clear();
        HWND asked = nullptr;
        host.paste.SetRightsComparer([&](HWND window) {
            asked = window;
            return test.rights;
        });
        HWND closedWindow =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(closedWindow);
        host.target = test.targetClosed ? closedWindow : targetEdit;
        PutText(targetFrame, L"before");

        const PasteBack::Outcome outcome = host.paste.Paste(entries);
        EXPECT_EQ(outcome, test.outcome) << test.what;
        EXPECT_EQ(ClipboardText(), L"entry") << test.what;
        EXPECT_EQ(host.keystrokes.size(), test.keys) << test.what;
        EXPECT_EQ(host.focusRestored.size(), test.focusRestored) << test.what;
        EXPECT_EQ(asked, test.targetClosed ? nullptr : targetEdit) << test.what;
        EXPECT_EQ(notices::PasteNotLanded(outcome), test.balloon) << test.what;
        EXPECT_EQ(GetClipboardOwner(), test.targetClosed ? host.m_hWnd : targetEdit) << test.what;
        EXPECT_EQ(host.target, nullptr) << test.what;
    }
}

TEST_F(PasteTest, BitmapsPasteOneAtATimeBeforeTheJoinedTexts)
{
    Append(L"t1");
    AppendBitmap();
    Append(L"t2");
    Select(0);
    Select(1);
    Select(2);
    PasteSelection();

    ASSERT_EQ(2u, host.keystrokes.size());
    EXPECT_TRUE(host.keystrokes[0].bitmap);
    EXPECT_EQ(L"", host.keystrokes[0].text);
    // The clipboard is not emptied after the bitmap, so it still holds it beside the texts.
    EXPECT_TRUE(host.keystrokes[1].bitmap);
    EXPECT_EQ(L"t1t2", host.keystrokes[1].text);
    EXPECT_TRUE(host.keystrokes[0].marked && host.keystrokes[1].marked);
    // The entry kept its own bitmap.
    BITMAP bm = {};
    EXPECT_NE(0, GetObjectW(host.history.At(1).picture->Bitmap(), sizeof(bm), &bm));
}

TEST_F(PasteTest, OnlyBitmapsSendNoFinalKeystroke)
{
    AppendBitmap();
    AppendBitmap();
    Select(0);
    Select(1);
    PasteSelection();
    ASSERT_EQ(2u, host.keystrokes.size());
    EXPECT_TRUE(host.keystrokes[0].bitmap);
    EXPECT_TRUE(host.keystrokes[1].bitmap);
}

TEST(CopyBitmap, SameSizeDepthAndPixels)
{
    HDC screen = GetDC(nullptr);
    HBITMAP source = CreateCompatibleBitmap(screen, 10, 7);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, source);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 7; ++y)
            SetPixel(memory, x, y, RGB(x * 20, y * 30, 200));
    SelectObject(memory, previous);

    HBITMAP copy = PasteBack::CopyBitmap(source);
    ASSERT_NE(nullptr, copy);
    BITMAP a, b;
    GetObjectW(source, sizeof(a), &a);
    GetObjectW(copy, sizeof(b), &b);
    EXPECT_EQ(a.bmWidth, b.bmWidth);
    EXPECT_EQ(a.bmHeight, b.bmHeight);
    EXPECT_EQ(a.bmBitsPixel, b.bmBitsPixel);
    previous = SelectObject(memory, copy);
    EXPECT_EQ(RGB(9 * 20, 6 * 30, 200), GetPixel(memory, 9, 6));
    EXPECT_EQ(RGB(0, 0, 200), GetPixel(memory, 0, 0));
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(copy);
    DeleteObject(source);
    EXPECT_EQ(nullptr, PasteBack::CopyBitmap(nullptr));
}

}  // namespace
