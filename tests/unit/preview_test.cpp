// The preview of an entry: what it shows of a long text, how a picture is
// scaled, and where the window goes beside the popup.
#include <gtest/gtest.h>

#include "shell/popup/EntryPreview.h"

#include <string>

namespace {

TEST(EntryPreview, LongTextsShowTheirStartAndLengthAndPicturesShrinkToTheBox)
{
    EXPECT_EQ(L"short", EntryPreview::TextOf(L"short"));
    const std::wstring exact(EntryPreview::kTextLength, L'x');
    EXPECT_EQ(exact, EntryPreview::TextOf(exact));
    std::wstring longer(EntryPreview::kTextLength - 1, L'y');
    longer += L"\xD83D\xDE00 and more";
    const std::wstring shown = EntryPreview::TextOf(longer);
    EXPECT_EQ(std::wstring(EntryPreview::kTextLength - 1, L'y'), shown.substr(0, EntryPreview::kTextLength - 1));
    EXPECT_NE(0xD83D, shown[EntryPreview::kTextLength - 1]) << "a surrogate pair was cut";
    EXPECT_NE(std::wstring::npos, shown.find(std::to_wstring(longer.size()) + L" characters"));

    EXPECT_EQ(100, EntryPreview::FitWithin({100, 50}, 256).cx);
    const SIZE wide = EntryPreview::FitWithin({1920, 1080}, 256);
    EXPECT_EQ(256, wide.cx);
    EXPECT_EQ(144, wide.cy);
    const SIZE thin = EntryPreview::FitWithin({1, 5000}, 256);
    EXPECT_EQ(1, thin.cx);
    EXPECT_EQ(256, thin.cy);
    EXPECT_EQ(0, EntryPreview::FitWithin({0, 10}, 256).cx);
}

TEST(EntryPreview, TheFirstLineSaysWhatIsKeptBesideTheTextAndWhatWasLeftOutForItsSizeOrTime)
{
    const KeptFormat html = {{EntryFormats::kHtmlName, 0}, {'x'}};
    const KeptFormat rtf = {{EntryFormats::kRtfName, 0}, {'x'}};
    const FormatName bigRtf = {EntryFormats::kRtfName, 0};
    const struct {
        EntryFormats formats;
        const wchar_t* heading;
    } cases[] = {
        {{{html, rtf}, {}, L""}, L"Kept: HTML, RTF"},
        {{{html}, {bigRtf}, L""}, L"Kept: HTML; formatting not kept, over 4 MiB: RTF"},
        {{{}, {bigRtf}, L""}, L"formatting not kept, over 4 MiB: RTF"},
        {{{html}, {bigRtf}, L"", nullptr, {{L"", EntryFormats::kFileListNumber}}},
         L"Kept: HTML; formatting not kept, over 4 MiB: RTF; formatting not kept, the program was too slow to give "
         L"it: files"},
        {{{}, {}, L"", nullptr, {{EntryFormats::kHtmlName, 0}, bigRtf}},
         L"formatting not kept, the program was too slow to give it: HTML, RTF"},
        {{}, L""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.heading, EntryPreview::HeadingOf(&test.formats));
    EXPECT_EQ(L"", EntryPreview::HeadingOf(nullptr));
}

TEST(EntryPreview, APictureShowsScaledBesideThePopupAndGoesAgain)
{
    HWND popup = CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP | WS_VISIBLE, 100, 100, 190, 290, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, popup);
    HistoryEntry entry;
    entry.id = 7;
    {
        WindowDC screen(nullptr);
        entry.picture = std::make_shared<const EntryPicture>(
            UniqueBitmap(CreateCompatibleBitmap(screen.Get(), 512, 256)), L"Picture 512 x 256");
    }
    EntryPreview preview;
    const RECT row = {100, 150, 290, 170};
    // A popup at 144 DPI has a preview half as large again: picture box and margins.
    preview.Show(popup, entry, row, nullptr, 144);
    RECT client;
    preview.GetClientRect(&client);
    EXPECT_EQ(384 + 12, client.right);
    EXPECT_EQ(192 + 12, client.bottom);
    preview.Show(popup, entry, row, nullptr, 96);
    ASSERT_TRUE(preview.IsShowing());
    EXPECT_EQ(7u, preview.Shown());
    preview.GetClientRect(&client);
    EXPECT_EQ(256 + 8, client.right);
    EXPECT_EQ(128 + 8, client.bottom);
    RECT placed;
    preview.GetWindowRect(&placed);
    EXPECT_EQ(290, placed.left) << "beside the popup";
    EXPECT_EQ(150, placed.top) << "level with the row";
    preview.Hide();
    EXPECT_FALSE(preview.IsShowing());
    DestroyWindow(popup);
    EXPECT_EQ(nullptr, preview.m_hWnd) << "the preview goes with the popup";
    CWnd::DeleteTempMap();
}

}  // namespace
