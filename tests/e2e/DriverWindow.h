#pragma once
#include <windows.h>

#include <string>
#include <thread>

namespace e2e {

// A plain top-level window of the driver, playing "another program's window". When visible,
// it is shown above the other ordinary windows without being activated. It runs on
// a thread of its own with its own message loop, because other processes' calls on it
// (ShowWindow from a second quillary.exe) wait until its thread answers.
class DriverWindow {
public:
    DriverWindow(const std::wstring& title, bool visible);
    ~DriverWindow();
    DriverWindow(const DriverWindow&) = delete;
    DriverWindow& operator=(const DriverWindow&) = delete;

    HWND Handle() const { return m_window; }

private:
    void Run(const std::wstring& title, bool visible, HANDLE created);

    HWND m_window = nullptr;
    std::thread m_thread;
};

}  // namespace e2e
