#pragma once
#include <windows.h>

#include <atomic>
#include <thread>

// Another program that renders its copy on demand and takes its time: a window
// of this process, on a thread of its own, that promises a text and renders it
// `renderMs` milliseconds after it is asked for, as a spreadsheet or a remote
// desktop would.
class SlowCopier {
public:
    explicit SlowCopier(DWORD renderMs);
    ~SlowCopier();
    SlowCopier(const SlowCopier&) = delete;
    SlowCopier& operator=(const SlowCopier&) = delete;

    // Puts the promise on the clipboard; false when the clipboard stayed busy.
    bool Copy() const;
    // Renders begun and ended so far.
    int RendersBegun() const { return m_begun; }
    int RendersEnded() const { return m_ended; }

private:
    void Run(HANDLE created);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    DWORD m_renderMs;
    HWND m_window = nullptr;
    std::atomic<int> m_begun{0};
    std::atomic<int> m_ended{0};
    std::thread m_thread;
};
