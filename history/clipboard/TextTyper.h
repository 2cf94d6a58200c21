#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

// Types a text into a window as key presses of its characters, for fields
// that refuse a paste and for remote desktops and virtual machines that do
// not pass the clipboard on. It types on a thread of its own, a few
// characters at a time, so that the popup stays responsive, and stops at once
// when the user presses Esc or another window comes to the front.
class TextTyper {
public:
    // Characters typed between two looks at Esc and the foreground window.
    static constexpr size_t kCharactersPerStep = 4;
    static constexpr DWORD kStepPauseMs = 10;

    TextTyper() = default;
    ~TextTyper() { Stop(); }
    TextTyper(const TextTyper&) = delete;
    TextTyper& operator=(const TextTyper&) = delete;

    // About how long a text of `length` UTF-16 units takes to type (a pause
    // lasts up to a tick of the system's timer, 16 ms).
    static size_t SecondsFor(size_t length) { return (length / kCharactersPerStep * 16 + 999) / 1000; }

    // Starts typing into `target`, whose top-level window is in front; a
    // typing still under way stops first.
    void Start(HWND target, std::wstring text);
    // Stops typing and waits until the thread has ended.
    void Stop();

private:
    void Type(HWND front, const std::wstring& text);
    bool ShouldStop(HWND front) const;

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};
