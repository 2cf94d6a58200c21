#pragma once
#include "history/clipboard/CapturedCopy.h"
#include "history/clipboard/IgnoredPrograms.h"
#include "history/clipboard/SlowRenderers.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// What the capture threads and the popup share: the copies read and not yet in
// the history, in the order they came; the rules a read follows; the programs
// slow to render. Held by every capture thread, so that one left to a stuck
// program may outlive the popup. Every call is safe from any thread.
class CaptureExchange {
public:
    // Posted to the popup: copies wait for the history.
    static constexpr UINT kCopiesMessage = WM_APP + 30;
    // Posted to the popup: a copy's formats are being asked for, their time runs.
    static constexpr UINT kWatchMessage = WM_APP + 31;

    // What the user chose about what a read takes.
    struct Rules {
        IgnoredPrograms ignored;
        bool recordPictures = false;
    };

    explicit CaptureExchange(HWND popup) : m_popup(popup), m_rules(std::make_shared<const Rules>()) {}

    void SetRules(std::shared_ptr<const Rules> rules);
    std::shared_ptr<const Rules> CurrentRules() const;
    // Off while the user paused recording, and for good once closed.
    void SetRecording(bool recording) { m_recording = recording; }
    bool Recording() const { return m_recording; }
    // True once for each change of the clipboard (its sequence number): a
    // repeated notice, or the same notice heard by two threads, reads nothing.
    bool Claim(DWORD sequence);

    bool MayAsk(const Renderer& renderer, const FormatName& format) const;
    void NoteCosts(const Renderer& renderer, const std::vector<FormatTiming>& timings);

    // A copy for the history, after those delivered before it.
    void Deliver(CapturedCopy copy);
    // The popup keeps the time of the formats being asked for now.
    void WatchFormats() const { PostMessageW(m_popup, kWatchMessage, 0, 0); }
    // Popup: the copies delivered, oldest first.
    std::vector<CapturedCopy> Take();
    // The end: nothing more is read or delivered.
    void Close();

private:
    const HWND m_popup;
    std::atomic<bool> m_recording{false};
    mutable std::mutex m_mutex;
    bool m_closed = false;
    std::shared_ptr<const Rules> m_rules;
    DWORD m_lastSequence = 0;
    bool m_haveSequence = false;
    SlowRenderers m_slow;
    std::deque<CapturedCopy> m_copies;
};
