#pragma once
#include "history/clipboard/CaptureExchange.h"
#include "history/clipboard/CaptureThread.h"
#include "history/model/ClipOptions.h"
#include "history/model/HistoryModel.h"

#include <memory>
#include <string>
#include <vector>

// The capture of each new copy as a history entry, seen from the popup: a
// capture thread reads the clipboard and the popup's thread puts each copy in
// the history, in the order the copies came, when its message arrives. The
// popup's thread never waits on the clipboard; it keeps the time of a copy's
// formats and, when a program holds the reading thread past it, takes the copy
// as far as it was read and starts a new thread for the next copies.
class ClipboardCapture {
public:
    static constexpr UINT kCopiesMessage = CaptureExchange::kCopiesMessage;
    static constexpr UINT kWatchMessage = CaptureExchange::kWatchMessage;
    static constexpr UINT_PTR kWatchTimer = 0x5130;

    // `options`: no repeats (the rest reaches the reading thread through SetRules).
    ClipboardCapture(HistoryModel& history, const ClipOptions& options) : m_history(history), m_options(options) {}
    ~ClipboardCapture();
    ClipboardCapture(const ClipboardCapture&) = delete;
    ClipboardCapture& operator=(const ClipboardCapture&) = delete;

    // Copies are heard from here on (the clipboard's content now is not one)
    // and wait for Deliver, which lets them into the history once it is loaded.
    void Listen(HWND popup);
    void Deliver();
    // The end: the copies read so far go in, and nothing more is read. A
    // thread that a program holds is left to it; the process may end first.
    void Stop();

    // What the reading thread follows: the programs whose copies are not recorded, pictures.
    void SetRules(const CString& ignoredPrograms, bool recordPictures);
    // While paused nothing is read or recorded.
    void SetPaused(bool paused);
    bool Paused() const { return m_paused; }

    // The popup's messages.
    void OnCopies();
    void OnWatch();
    void OnWatchTimer();

    // A capture thread has the clipboard open: reading a copy, or waiting for
    // the program that copied to render it.
    bool HoldsClipboard() const;

    // Whether the clipboard still holds what became `id` at the last capture.
    bool ClipboardHoldsCaptureOf(EntryId id) const
    {
        return m_haveSequence && m_lastCaptured == id && GetClipboardSequenceNumber() == m_lastSequence;
    }

private:
    void Take(CapturedCopy copy);
    void Keep(std::wstring text, std::shared_ptr<const EntryFormats> formats, bool keepHere);
    // With "no repeats": an entry with this text takes the new copy's formats
    // and moves up below the top zone (or stays, inside it) and nothing is
    // added. False when there is none.
    bool TakeRepeat(const std::wstring& text, std::shared_ptr<const EntryFormats> formats);
    void StartThread();
    // A render holds the reading thread past its copy's time.
    void TakeOverHeldThread();

    HistoryModel& m_history;
    const ClipOptions& m_options;
    HWND m_popup = nullptr;
    std::shared_ptr<const CaptureExchange::Rules> m_rules = std::make_shared<const CaptureExchange::Rules>();
    std::shared_ptr<CaptureExchange> m_exchange;
    std::unique_ptr<CaptureThread> m_thread;
    // Left to programs that hold them; dropped once they end.
    std::vector<std::unique_ptr<CaptureThread>> m_retired;
    bool m_delivering = false;
    bool m_paused = false;
    bool m_watching = false;
    EntryId m_lastCaptured = 0;
    DWORD m_lastSequence = 0;
    bool m_haveSequence = false;
};
