#include "history/clipboard/CaptureThread.h"

#include "history/clipboard/CopyReader.h"

#include <thread>

namespace {

constexpr wchar_t kClassName[] = L"QuillaryCaptureListener";
constexpr DWORD kStartWaitMs = 10000;

// What a listener window works for.
struct Listener {
    CopyReader reader;
    const std::atomic<bool>& retired;
};

bool RegisterListenerClass(WNDPROC procedure)
{
    static const bool registered = [procedure] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered;
}

}  // namespace

CaptureThread::CaptureThread(std::shared_ptr<CaptureExchange> exchange) : m_shared(std::make_shared<Shared>())
{
    m_shared->exchange = std::move(exchange);
    if (!m_shared->started || !m_shared->ended || !RegisterListenerClass(WindowProc))
        return;
    // Never joined: a thread that a stuck program holds is left to it, and the
    // process may end before it does.
    std::thread([shared = m_shared] { Run(shared); }).detach();
    WaitForSingleObject(m_shared->started.Get(), kStartWaitMs);
}

CaptureThread::~CaptureThread()
{
    Retire();
}

void CaptureThread::Retire()
{
    m_shared->retired = true;
    if (HWND window = m_shared->window.load())
        PostMessageW(window, WM_CLOSE, 0, 0);
}

void CaptureThread::Run(const std::shared_ptr<Shared>& shared)
{
    {
        Listener listener{{*shared->exchange, shared->inFlight, nullptr}, shared->retired};
        HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), &listener);
        if (window && AddClipboardFormatListener(window)) {
            shared->window = window;
            SetEvent(shared->started.Get());
            // Retired before it listened: it ends at once.
            if (shared->retired)
                PostMessageW(window, WM_CLOSE, 0, 0);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
        } else if (window) {
            DestroyWindow(window);
        }
        shared->window = nullptr;
    }
    SetEvent(shared->started.Get());
    SetEvent(shared->ended.Get());
}

LRESULT CALLBACK CaptureThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* listener = static_cast<Listener*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        listener->reader.SetWindow(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(listener));
    }
    auto* listener = reinterpret_cast<Listener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CLIPBOARDUPDATE:
        // No exception unwinds through the system's frames: a copy that cannot be read is lost alone.
        try {
            if (listener && !listener->retired)
                listener->reader.OnClipboardChange();
        } catch (...) {
        }
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        RemoveClipboardFormatListener(window);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
