#include "shell/popup/EntryPreview.h"

#include <algorithm>

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "shell/WindowLook.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillaryEntryPreview";
constexpr int kMargin = 4;
constexpr int kMaxTextWidth = 420;
constexpr UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX;

bool RegisterPreviewClass()
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.style = CS_DROPSHADOW;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered;
}

}  // namespace

std::wstring EntryPreview::TextOf(const std::wstring& text)
{
    if (text.size() <= kTextLength)
        return text;
    size_t cut = kTextLength;
    if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
        --cut;
    return text.substr(0, cut) + L"\u2026\r\n\r\n(" + std::to_wstring(text.size()) + L" characters)";
}

std::wstring EntryPreview::HeadingOf(const EntryFormats* formats)
{
    if (!formats)
        return {};
    std::wstring heading;
    const std::wstring kept = formats->KeptSummary();
    if (!kept.empty())
        heading = L"Kept: " + kept;
    const auto add = [&heading](const std::wstring& part) {
        if (!heading.empty())
            heading += L"; ";
        heading += part;
    };
    if (formats->LeftOutForSize())
        add(L"formatting not kept, over " + std::to_wstring(EntryFormats::kMaxFormatBytes >> 20) +
            L" MiB: " + formats->LeftOutSummary());
    if (!formats->late.empty())
        add(L"formatting not kept, the program was too slow to give it: " + formats->LateSummary());
    return heading;
}

SIZE EntryPreview::FitWithin(SIZE picture, int box)
{
    if (picture.cx <= 0 || picture.cy <= 0)
        return {0, 0};
    if (picture.cx <= box && picture.cy <= box)
        return picture;
    // The longer side becomes the box's; the other keeps the proportion (at least a pixel).
    if (picture.cx >= picture.cy)
        return {box, std::max<LONG>(1, static_cast<LONG>(static_cast<long long>(picture.cy) * box / picture.cx))};
    return {std::max<LONG>(1, static_cast<LONG>(static_cast<long long>(picture.cx) * box / picture.cy)), box};
}

bool EntryPreview::Create(HWND owner)
{
    if (m_hWnd)
        return true;
    if (!RegisterPreviewClass())
        return false;
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"",
                                  WS_POPUP | WS_BORDER, 0, 0, 10, 10, owner, nullptr, GetModuleHandleW(nullptr),
                                  nullptr);
    if (!window || !SubclassWindow(window))
        return false;
    WindowLook::SetRoundCorners(window, true);
    return true;
}

SIZE EntryPreview::Measure(HDC dc) const
{
    if (m_entry.IsPicture()) {
        BITMAP bm = {};
        GetObjectW(m_entry.picture->Bitmap(), sizeof(bm), &bm);
        return FitWithin({bm.bmWidth, bm.bmHeight}, dpi::Scale(kPictureBox, m_dpi));
    }
    ScopedSelect font(dc, m_font);
    RECT bounds = {0, 0, dpi::Scale(kMaxTextWidth, m_dpi), 0};
    DrawTextW(dc, m_text.c_str(), static_cast<int>(m_text.size()), &bounds, kTextFormat | DT_CALCRECT);
    return {bounds.right, bounds.bottom};
}

void EntryPreview::Show(HWND popup, const HistoryEntry& entry, const RECT& row, HFONT font, UINT dpi)
{
    if (!Create(popup))
        return;
    m_entry = entry;
    m_text = entry.IsPicture() || !entry.text ? std::wstring() : TextOf(*entry.text);
    const std::wstring heading = HeadingOf(entry.formats.get());
    if (!heading.empty())
        m_text = heading + L"\r\n\r\n" + m_text;
    m_font = font;
    m_dpi = dpi;
    SIZE content;
    {
        WindowDC dc(m_hWnd);
        content = Measure(dc.Get());
    }
    const int margin = dpi::Scale(kMargin, m_dpi);
    const int width = content.cx + 2 * margin + 2 * GetSystemMetrics(SM_CXBORDER);
    const int height = content.cy + 2 * margin + 2 * GetSystemMetrics(SM_CYBORDER);
    // Beside the popup, on the side where the monitor has room for it.
    RECT popupRect;
    ::GetWindowRect(popup, &popupRect);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int x = popupRect.right;
    if (x + width > work.right && popupRect.left - width >= work.left)
        x = popupRect.left - width;
    const int y = std::max<LONG>(work.top, std::min<LONG>(row.top, work.bottom - height));
    SetWindowPos(HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
}

void EntryPreview::Hide()
{
    if (m_hWnd && IsWindowVisible())
        ShowWindow(SW_HIDE);
    m_entry = HistoryEntry();
}

void EntryPreview::SetColours(COLORREF ground, COLORREF text)
{
    m_ground = ground;
    m_ink = text;
    if (m_hWnd)
        Invalidate();
}

void EntryPreview::Paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    const UniqueBrush ground(CreateSolidBrush(m_ground));
    FillRect(dc, &client, ground.Get());
    const int margin = dpi::Scale(kMargin, m_dpi);
    RECT inside = {client.left + margin, client.top + margin, client.right - margin, client.bottom - margin};
    if (m_entry.IsPicture()) {
        UniqueDC memory(CreateCompatibleDC(dc));
        ScopedSelect picture(memory.Get(), m_entry.picture->Bitmap());
        BITMAP bm = {};
        GetObjectW(m_entry.picture->Bitmap(), sizeof(bm), &bm);
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, inside.left, inside.top, inside.right - inside.left, inside.bottom - inside.top, memory.Get(), 0,
                   0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    } else {
        ScopedSelect font(dc, m_font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, m_ink);
        DrawTextW(dc, m_text.c_str(), static_cast<int>(m_text.size()), &inside, kTextFormat);
    }
    EndPaint(m_hWnd, &paint);
}

bool EntryPreview::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_MOUSEACTIVATE:
        result = MA_NOACTIVATE;
        return true;
    case WM_NCHITTEST:
        // Clicks go through to whatever lies below.
        result = HTTRANSPARENT;
        return true;
    default:
        return CWnd::OnMessage(message, wParam, lParam, result);
    }
}
