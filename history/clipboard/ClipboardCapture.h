#pragma once
#include "history/model/ClipOptions.h"
#include "history/model/HistoryModel.h"
#include "history/clipboard/FormatReader.h"
#include "history/clipboard/IgnoredPrograms.h"

#include <memory>
#include <string>

// Membership of the clipboard-viewer chain and the capture of each new
// clipboard text, with the formats kept beside it, as a history entry. The flags and the next viewer belong to
// the popup; this class works on them.
class ClipboardCapture {
public:
    struct State {
        HWND& nextViewer;
        int& ready;
        int& suppressCapture;
    };
    // What the user chose about what is recorded.
    struct Rules {
        const ClipOptions& options;  // no repeats, record pictures
        const IgnoredPrograms& ignored;
    };

    ClipboardCapture(HistoryModel& history, State state, Rules rules)
        : m_history(history), m_state(state), m_rules(rules) {}

    void SetWindow(HWND window) { m_window = window; }
    void JoinChain();
    // Leaves and joins again with capture suppressed, so the notification the
    // join causes adds nothing.
    void RejoinChain();
    void LeaveChain();

    // While paused nothing is recorded; the chain is still served.
    void SetPaused(bool paused) { m_paused = paused; }
    bool Paused() const { return m_paused; }

    void OnDrawClipboard(WPARAM wParam, LPARAM lParam);
    void OnChangeCbChain(WPARAM wParam, LPARAM lParam);
    void CaptureClipboardText();

    // True when the clipboard's owner asked monitors not to record this content.
    static bool IsExcludedContent();
    // The copying program marked it as not for cloud clipboards: it is kept, but never shared.
    static bool IsNotForCloud();
    // Whether the clipboard still holds what became `id` at the last capture.
    bool ClipboardHoldsCaptureOf(EntryId id) const
    {
        return m_haveSequence && m_lastCaptured == id && GetClipboardSequenceNumber() == m_lastSequence;
    }

private:
    void CaptureOpenClipboard();
    // The text and what it keeps; with no text but a file list, its paths.
    void CaptureText(std::wstring* offered);
    void Keep(std::wstring text, std::shared_ptr<const EntryFormats> formats);
    // With "no repeats": an entry with this text takes the new copy's formats
    // and moves up below the top zone (or stays, inside it) and nothing is
    // added. False when there is none.
    bool TakeRepeat(const std::wstring& text, std::shared_ptr<const EntryFormats> formats);

    HistoryModel& m_history;
    State m_state;
    Rules m_rules;
    FormatReader m_formats;
    HWND m_window = nullptr;
    bool m_capturing = false;
    bool m_notForCloud = false;  // of the copy being captured
    bool m_paused = false;
    EntryId m_lastCaptured = 0;
    DWORD m_lastSequence = 0;
    bool m_haveSequence = false;
};
