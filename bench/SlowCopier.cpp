#include "bench/SlowCopier.h"

#include "bench/Stopwatch.h"
#include "framework/Handles.h"

#include <cstring>

namespace {

constexpr const wchar_t* kClass = L"QuillaryBenchSlowCopier";
constexpr wchar_t kText[] = L"a copy rendered slowly";
constexpr double kOpenTimeoutMs = 10000;

}  // namespace

SlowCopier::SlowCopier(DWORD renderMs) : m_renderMs(renderMs)
{
    UniqueKernelHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!created)
        return;
    m_thread = std::thread(&SlowCopier::Run, this, created.Get());
    WaitForSingleObject(created.Get(), INFINITE);
}

SlowCopier::~SlowCopier()
{
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (m_thread.joinable())
        m_thread.join();
}

void SlowCopier::Run(HANDLE created)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, kClass, L"Quillary bench slow copier", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleW(nullptr), this);
    SetEvent(created);
    if (!m_window)
        return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
}

bool SlowCopier::Copy() const
{
    const Stopwatch wait;
    while (!OpenClipboard(m_window)) {
        if (wait.ElapsedMs() > kOpenTimeoutMs)
            return false;
        Sleep(1);
    }
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    return true;
}

LRESULT CALLBACK SlowCopier::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* copier = reinterpret_cast<SlowCopier*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_RENDERFORMAT:
        if (copier && wParam == CF_UNICODETEXT) {
            ++copier->m_begun;
            Sleep(copier->m_renderMs);
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(kText));
            if (block) {
                std::memcpy(GlobalLock(block), kText, sizeof(kText));
                GlobalUnlock(block);
                if (!SetClipboardData(CF_UNICODETEXT, block))
                    GlobalFree(block);
            }
            ++copier->m_ended;
        }
        return 0;
    case WM_RENDERALLFORMATS:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
