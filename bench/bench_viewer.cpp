// The bare clipboard viewer of the capture figure (see BenchViewer.h).
#include "bench/BenchViewer.h"

#include <cwchar>

namespace {

HWND g_nextViewer = nullptr;
LRESULT g_reads = 0;
volatile size_t g_lastLength = 0;

void ReadText(HWND window)
{
    if (!OpenClipboard(window))
        return;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            g_lastLength = wcsnlen(text, GlobalSize(data) / sizeof(wchar_t));
            GlobalUnlock(data);
            ++g_reads;
        }
    }
    CloseClipboard();
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWCLIPBOARD:
        if (g_nextViewer)
            SendMessageW(g_nextViewer, message, wParam, lParam);
        if (reinterpret_cast<HWND>(wParam) != window)
            ReadText(window);
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

int wmain()
{
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
