#include "bench/TargetWindow.h"

#include "bench/Stopwatch.h"
#include "framework/Handles.h"

namespace {

constexpr const wchar_t* kClass = L"QuillaryBenchTarget";

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TargetWindow::TargetWindow()
{
    UniqueKernelHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!created)
        return;
    m_thread = std::thread(&TargetWindow::Run, this, created.Get());
    WaitForSingleObject(created.Get(), INFINITE);
}

TargetWindow::~TargetWindow()
{
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (m_thread.joinable())
        m_thread.join();
}

void TargetWindow::Run(HANDLE created)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, kClass, L"Quillary bench paste target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                               300, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetEvent(created);
    if (!m_window)
        return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool TargetWindow::Activate() const
{
    if (!m_window)
        return false;
    SetForegroundWindow(m_window);
    const Stopwatch wait;
    while (GetForegroundWindow() != m_window) {
        if (wait.ElapsedMs() > 10000)
            return false;
        Sleep(1);
    }
    return true;
}
