#pragma once
#include "framework/Handles.h"
#include "history/clipboard/CaptureExchange.h"
#include "history/clipboard/CopyInFlight.h"

#include <windows.h>

#include <atomic>
#include <memory>

// A thread of its own that hears of every change of the clipboard through a
// message-only window (a clipboard format listener, so no viewer chain) and
// reads each copy, so that the popup's thread never waits on the clipboard or
// on the program that copied. A thread that such a program holds in a render
// is retired: it reads nothing more and ends once the program lets it go,
// while a new one takes the next copies.
class CaptureThread {
public:
    // Starts it and waits until it listens.
    explicit CaptureThread(std::shared_ptr<CaptureExchange> exchange);
    // Retires it without waiting.
    ~CaptureThread();
    CaptureThread(const CaptureThread&) = delete;
    CaptureThread& operator=(const CaptureThread&) = delete;

    // Its listener window, which it opens the clipboard for; null once it has ended.
    HWND Window() const { return m_shared->window.load(); }
    // The copy whose formats it is reading, for the popup's watch.
    CopyInFlight& InFlight() { return m_shared->inFlight; }
    void Retire();
    // Its end, to wait for; signalled once it has ended.
    HANDLE EndedEvent() const { return m_shared->ended.Get(); }
    bool Ended() const { return WaitForSingleObject(EndedEvent(), 0) == WAIT_OBJECT_0; }

private:
    // Held by the thread as well: a retired thread may outlive this object.
    struct Shared {
        std::shared_ptr<CaptureExchange> exchange;
        CopyInFlight inFlight;
        std::atomic<HWND> window{nullptr};
        std::atomic<bool> retired{false};
        UniqueFileHandle started{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        UniqueFileHandle ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    static void Run(const std::shared_ptr<Shared>& shared);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::shared_ptr<Shared> m_shared;
};
