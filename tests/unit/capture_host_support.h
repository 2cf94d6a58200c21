#pragma once
// Capture as the popup runs it, without the popup: a window that routes the
// capture's messages to a ClipboardCapture working on a history, and another
// program's copies made from a window of the test. Capture reads on a thread
// of its own, so the tests wait for what it delivers.
#include "framework/CWnd.h"
#include "history/clipboard/ClipboardCapture.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace capture_host {

constexpr DWORD kWaitMs = 10000;

// Dispatches this thread's messages until `done` holds; false when it never did.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs)
{
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount64() > until)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline HWND NewTopLevel(const wchar_t* title)
{
    return CreateWindowExW(0, L"STATIC", title, WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

inline HGLOBAL GlobalCopy(const void* data, size_t bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (bytes)
        std::memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    return block;
}

using Bytes = std::vector<std::uint8_t>;

inline Bytes Utf16(const std::wstring& text)
{
    const auto* start = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return Bytes(start, start + (text.size() + 1) * sizeof(wchar_t));
}

// Another program's copy in several formats at once: the clipboard emptied and
// filled by a window that is not the capture's. False when it stayed busy.
inline bool Copy(HWND owner, const std::vector<std::pair<UINT, Bytes>>& formats)
{
    if (!PumpUntil([owner] { return OpenClipboard(owner) != FALSE; }))
        return false;
    EmptyClipboard();
    for (const auto& format : formats)
        SetClipboardData(format.first, GlobalCopy(format.second.data(), format.second.size()));
    CloseClipboard();
    return true;
}

inline bool CopyText(HWND owner, const std::wstring& text)
{
    return Copy(owner, {{CF_UNICODETEXT, Utf16(text)}});
}

// The popup's part in capture: a window whose capture messages go to a
// ClipboardCapture working on a history.
class Host : public CWnd {
public:
    Host() : capture(history, options) {}
    ClipOptions options;  // no repeats
    HistoryModel history;
    ClipboardCapture capture;

    // Creates the window and starts capture as the popup does.
    bool Start()
    {
        if (!SubclassWindow(NewTopLevel(L"capture host")))
            return false;
        capture.Listen(m_hWnd);
        capture.Deliver();
        return true;
    }
    void Stop()
    {
        capture.Stop();
        history.Clear();
        DestroyWindow();
    }
    std::wstring TextAt(int row) const
    {
        return row < history.Count() && history.At(row).text ? *history.At(row).text : L"<none>";
    }
    // Has the capture thread look at the clipboard now and waits until it has:
    // copies made one right after another are each read, not only the last.
    // The notice the system posts for the same change then reads nothing.
    bool LookNow() const
    {
        HWND listener = FindWindowExW(HWND_MESSAGE, nullptr, L"QuillaryCaptureListener", nullptr);
        DWORD_PTR result = 0;
        return listener && SendMessageTimeoutW(listener, WM_CLIPBOARDUPDATE, 0, 0, SMTO_NORMAL, kWaitMs, &result);
    }
    // Another program's copy, looked at by capture before this returns.
    bool CopySeen(HWND owner, const std::vector<std::pair<UINT, Bytes>>& formats) const
    {
        return Copy(owner, formats) && LookNow();
    }
    bool CopyTextSeen(HWND owner, const std::wstring& text) const
    {
        return CopySeen(owner, {{CF_UNICODETEXT, Utf16(text)}});
    }
    // Waits until the history holds `count` entries.
    bool CountBecomes(int count) { return PumpUntil([this, count] { return history.Count() == count; }); }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == ClipboardCapture::kCopiesMessage) {
            capture.OnCopies();
            result = 0;
            return true;
        }
        if (message == ClipboardCapture::kWatchMessage) {
            capture.OnWatch();
            result = 0;
            return true;
        }
        if (message == WM_TIMER && wParam == ClipboardCapture::kWatchTimer) {
            capture.OnWatchTimer();
            result = 0;
            return true;
        }
        return CWnd::OnMessage(message, wParam, lParam, result);
    }
};

}  // namespace capture_host
