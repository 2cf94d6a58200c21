#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace e2e {

// A plain top-level window of the driver, playing "another program's window". When visible,
// it is shown above the other ordinary windows without being activated. It runs on
// a thread of its own with its own message loop, because other processes' calls on it
// (ShowWindow from a second quillary.exe) wait until its thread answers.
class DriverWindow {
public:
    // Sees each message first, on the window's thread; true when it handled the message.
    using Handler = std::function<bool(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

    DriverWindow(const std::wstring& title, bool visible, Handler handler = nullptr);
    ~DriverWindow();
    DriverWindow(const DriverWindow&) = delete;
    DriverWindow& operator=(const DriverWindow&) = delete;

    HWND Handle() const { return m_window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(const std::wstring& title, bool visible, HANDLE created);

    Handler m_handler;
    HWND m_window = nullptr;
    std::thread m_thread;
};

}  // namespace e2e
