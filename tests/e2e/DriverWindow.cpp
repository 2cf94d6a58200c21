#include "tests/e2e/DriverWindow.h"

#include "framework/Handles.h"

namespace e2e {

namespace {

const wchar_t kClassName[] = L"QuillaryE2eDriverWindow";

void RegisterDriverClass(WNDPROC windowProc)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

}  // namespace

DriverWindow::DriverWindow(const std::wstring& title, bool visible, Handler handler) : m_handler(std::move(handler))
{
    UniqueFileHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_thread = std::thread([this, title, visible, event = created.Get()] { Run(title, visible, event); });
    WaitForSingleObject(created.Get(), INFINITE);
}

DriverWindow::~DriverWindow()
{
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    m_thread.join();
}

LRESULT CALLBACK DriverWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self = reinterpret_cast<const DriverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->m_handler && self->m_handler(window, message, wParam, lParam))
        return 0;
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

void DriverWindow::Run(const std::wstring& title, bool visible, HANDLE created)
{
    RegisterDriverClass(WindowProc);
    m_window = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 300, 200, 320, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), this);
    // On top of the ordinary windows, but the foreground window stays where it was.
    if (m_window && visible)
        ShowWindow(m_window, SW_SHOWNOACTIVATE);
    SetEvent(created);
    if (!m_window)
        return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace e2e
