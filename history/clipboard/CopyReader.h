#pragma once
#include "history/clipboard/CaptureExchange.h"
#include "history/clipboard/CopyInFlight.h"
#include "history/clipboard/OfferedFormats.h"

#include <windows.h>

#include <optional>

// One change of the clipboard read on a capture thread: the clipboard is
// opened only to copy the bytes wanted into memory, then closed; the history
// takes the copy later, on the popup's thread. The text is the entry and is
// always waited for (a file list's paths, when files come alone); the formats
// beside it share the copy's time.
class CopyReader {
public:
    CopyReader(CaptureExchange& exchange, CopyInFlight& inFlight, HWND window)
        : m_exchange(exchange), m_inFlight(inFlight), m_window(window)
    {
    }
    // The window the clipboard is opened for (the listener's own).
    void SetWindow(HWND window) { m_window = window; }
    void OnClipboardChange();

private:
    // Another program may be reading the clipboard for a moment.
    bool Open(ClipboardSession& clipboard) const;
    // What the open clipboard gives; the copy is delivered unless the popup took it.
    void Read(const OfferedFormats& offered, DWORD sequence, const CaptureExchange::Rules& rules);
    std::optional<CapturedCopy> ReadPicture(DWORD sequence) const;

    CaptureExchange& m_exchange;
    CopyInFlight& m_inFlight;
    HWND m_window;
};
