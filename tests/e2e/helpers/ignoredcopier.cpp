// A program for the tests whose copies are to be ignored:
//   ignoredcopier.exe "text"
// puts the text on the clipboard with its own window as the clipboard's owner,
// then waits until that window (class "QuillaryIgnoredCopier") is sent
// WM_CLOSE, so the clipboard names this program as owner all the while.
// Exit code 0 after WM_CLOSE; 2 without a text; 3 when the clipboard could not be set.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

namespace {

const wchar_t kWindowClass[] = L"QuillaryIgnoredCopier";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool PutText(HWND owner, const wchar_t* text)
{
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (OpenClipboard(owner)) {
            EmptyClipboard();
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
            bool placed = false;
            if (block) {
                std::memcpy(GlobalLock(block), text, bytes);
                GlobalUnlock(block);
                placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
                if (!placed)
                    GlobalFree(block);
            }
            CloseClipboard();
            return placed;
        }
        Sleep(20);
    }
    return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kWindowClass, L"ignoredcopier", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                  instance, nullptr);
    const bool placed = window && PutText(window, argv[1]);
    LocalFree(argv);
    if (!placed)
        return 3;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
