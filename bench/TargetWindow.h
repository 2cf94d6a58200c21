#pragma once
#include <windows.h>

#include <thread>

// A plain window of this program standing for the one the user pastes into.
// It runs on a thread of its own: Quillary gives it the focus back and sends
// it Ctrl+V, which wait for its thread to answer.
class TargetWindow {
public:
    TargetWindow();
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Makes it the foreground window, as a click on it would; true once it is.
    bool Activate() const;

private:
    void Run(HANDLE created);

    HWND m_window = nullptr;
    std::thread m_thread;
};
