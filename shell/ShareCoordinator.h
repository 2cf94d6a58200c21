#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"
#include "history/share/HistorySharing.h"
#include "history/store/DurableHistory.h"

// The popup's side of sharing: a timer that hands this PC's changes to the
// folder's thread and, when the folder says something changed or every few
// seconds (services that replace files behind the notices), asks it for the
// others'; what it brings back joins the history; the tray tip that
// says when the history was last shared and with how many PCs; a problem told
// once in a balloon.
class ShareCoordinator {
public:
    static constexpr UINT_PTR kTimer = 0x5163;
    // Posted by the folder's thread: a report waits.
    static constexpr UINT kReportMessage = WM_APP + 60;
    static constexpr UINT kTickMs = 1000;
    static constexpr int kTicksPerPoll = 5;

    ShareCoordinator(HistoryModel& model, const ClipOptions& options, DurableHistory& durable,
                     std::function<bool()> paused);

    HistorySharing& Sharing() { return m_sharing; }

    // After the history is loaded; again after the options changed.
    void Start(HWND popup, const std::wstring& dataFolder);
    void Restart();
    void OnTimer();
    void OnReport();
    // The end of the program.
    void Finish();

private:
    void Watch();
    void ShowStatus();

    HistorySharing m_sharing;
    DurableHistory& m_durable;
    std::function<bool()> m_paused;
    HWND m_popup = nullptr;
    UniqueChangeNotification m_notice;
    int m_ticks = 0;
    std::wstring m_tip;
};
