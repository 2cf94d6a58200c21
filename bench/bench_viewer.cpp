// The bare clipboard viewer of the capture figure (see BenchViewer.h).
#include "bench/BenchViewer.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

HWND g_nextViewer = nullptr;
LRESULT g_reads = 0;
HANDLE g_readEvent = nullptr;  // set after each read, when the driver made it
std::vector<UINT> g_formats;  // read beside the text
volatile size_t g_lastLength = 0;

bool ReadText()
{
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!text)
        return false;
    g_lastLength = wcsnlen(text, GlobalSize(data) / sizeof(wchar_t));
    GlobalUnlock(data);
    return true;
}

// Reads the bytes up to the first NUL, as a reader of HTML or RTF would.
bool ReadFormat(UINT format)
{
    HANDLE data = GetClipboardData(format);
    const auto* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (!bytes)
        return false;
    g_lastLength = strnlen(bytes, GlobalSize(data));
    GlobalUnlock(data);
    return true;
}

void Read(HWND window)
{
    if (!OpenClipboard(window))
        return;
    bool whole = ReadText();
    for (UINT format : g_formats)
        whole = ReadFormat(format) && whole;
    CloseClipboard();
    if (!whole)
        return;
    ++g_reads;
    if (g_readEvent)
        SetEvent(g_readEvent);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWCLIPBOARD:
        if (g_nextViewer)
            SendMessageW(g_nextViewer, message, wParam, lParam);
        if (reinterpret_cast<HWND>(wParam) != window)
            Read(window);
        return 0;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == g_nextViewer)
            g_nextViewer = reinterpret_cast<HWND>(lParam);
        else if (g_nextViewer)
            SendMessageW(g_nextViewer, message, wParam, lParam);
        return 0;
    case kQueryReads:
        return g_reads;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ChangeClipboardChain(window, g_nextViewer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i)
        g_formats.push_back(RegisterClipboardFormatW(argv[i]));
    g_readEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, kBenchViewerReadEvent);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ViewerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kBenchViewerClass;
    if (!RegisterClassW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, kBenchViewerClass, L"Quillary bench viewer", WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    // Joining the chain announces the current contents once; that read is not a capture.
    g_nextViewer = SetClipboardViewer(window);
    g_reads = 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
