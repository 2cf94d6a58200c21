// The operations that the popup's messages, keys and commands reach.
#include "shell/popup/ClipDlg.h"

#include "shell/AboutDlg.h"
#include "shell/AutoRun.h"
#include "shell/ForegroundWindows.h"
#include "shell/HelpLauncher.h"
#include "shell/Notices.h"
#include "shell/OptionDlg.h"
#include "shell/TrayIcon.h"
#include "resource.h"

namespace {

// Longer texts are typed only once the user has agreed: typing them takes a while.
constexpr size_t kAskBeforeTyping = 2000;

}  // namespace

void CClipDlg::SummonAtFocus()
{
    // The entries are freed during the exit; a message box of the exit may still pump a hotkey.
    if (m_bExiting)
        return;
    // With the popup itself in front there is no new target; the one from the
    // last summons stays, so that Enter still pastes where the user came from.
    HWND target = GetFocusInForeground();
    if (!target)
        return;
    // Reached through the notification area with the keyboard, the taskbar has
    // the focus: the paste goes where the last summons came from.
    if (foreground::IsTaskbar(target) && m_hPasteTarget && ::IsWindow(m_hPasteTarget))
        target = m_hPasteTarget;
    m_hPasteTarget = target;
    m_targetSelection.Remember(target);
    // A paste still waiting for the clipboard was meant for the last target.
    m_pendingPaste.Drop();
    m_monitors.Follow(m_hWnd, target);
    // Each summons starts with the whole list.
    if (m_search.GetWindowText().GetLength() > 0)
        m_search.SetWindowText(L"");
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ShowWindow(SW_SHOWNOACTIVATE);
    m_list.SetFocus();
}

HWND CClipDlg::GetFocusInForeground()
{
    return foreground::FocusedWindow(m_hWnd);
}

void CClipDlg::RestoreTargetFocus(HWND window)
{
    foreground::RestoreFocus(window, m_hWnd);
    m_targetSelection.PutBack(window);
}

void CClipDlg::PinForegroundTop()
{
    foreground::Pin();
}

void CClipDlg::UnpinForegroundTop()
{
    foreground::Unpin();
}

void CClipDlg::PasteSelectedEntries()
{
    ShowWindow(SW_HIDE);
    PasteWhenFree([this, entries = m_listView.SelectedEntries()] { ReportPaste(m_paste.Paste(entries)); });
}

void CClipDlg::PasteSelectedAsPlainText()
{
    ShowWindow(SW_HIDE);
    PasteWhenFree([this, entries = m_listView.SelectedEntries()] {
        ReportPaste(m_paste.Paste(entries, PasteBack::Content::TextOnly));
    });
}

void CClipDlg::PasteWhenFree(std::function<void()> paste)
{
    m_pendingPaste.Drop();
    if (m_capture.HoldsClipboard())
        m_pendingPaste.Hold(m_hWnd, std::move(paste));
    else
        paste();
}

void CClipDlg::PasteRow(int row)
{
    if (row < 0 || row >= m_listView.View().Count())
        return;
    const HistoryEntry entry = m_listView.View().At(row);
    ShowWindow(SW_HIDE);
    PasteWhenFree([this, entry] { ReportPaste(m_paste.Paste({entry})); });
}

void CClipDlg::TypeSelectedEntries()
{
    const std::vector<HistoryEntry> entries = m_listView.SelectedEntries();
    // With nothing chosen it only hides, as Enter does.
    if (entries.empty()) {
        PasteSelectedEntries();
        return;
    }
    const size_t length = m_paste.JoinedText(entries).size();
    // Pictures alone have nothing to type; Enter pastes them.
    if (length == 0) {
        MessageBeep(MB_OK);
        return;
    }
    if (!ConfirmTyping(length))
        return;
    ShowWindow(SW_HIDE);
    // Where the keys cannot land, typing falls back to a paste, which needs the clipboard.
    PasteWhenFree([this, entries] { ReportPaste(m_paste.Type(entries)); });
}

bool CClipDlg::ConfirmTyping(size_t length)
{
    if (length <= kAskBeforeTyping)
        return true;
    CString format;
    format.LoadString(IDS_TYPE_LONG);
    CString question;
    question.Format(format, static_cast<int>(length), static_cast<int>(TextTyper::SecondsFor(length)));
    return MessageBoxW(m_hWnd, question, notices::kTitle, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}

void CClipDlg::ReportPaste(PasteBack::Outcome outcome)
{
    const std::wstring why = notices::PasteNotLanded(outcome);
    if (!why.empty())
        ShowTrayBalloon(m_hWnd, notices::kTitle, why, false);
}

void CClipDlg::HidePopup()
{
    ShowWindow(SW_HIDE);
    RestoreTargetFocus(m_hPasteTarget);
}

void CClipDlg::OnSearchChanged()
{
    m_preview.Hide();
    m_listView.SetQuery(m_search.GetWindowText().Str());
    // A summons empties the query of a hidden popup: that is no news.
    if (IsWindowVisible())
        ::SetTimer(m_hWnd, kAnnounceTimer, kAnnounceDelayMs, nullptr);
}

void CClipDlg::AnnounceSearch()
{
    const int matches = m_listView.View().Count();
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    const std::wstring name = selected >= 0 ? m_rows.Name(selected) : std::wstring();
    m_announcer.Announce(SearchAnnouncer::Found(matches, name, !m_listView.Query().empty()));
}

void CClipDlg::AnnounceFocusedRow()
{
    // In the list the list itself tells its readers where its focus went.
    if (::GetFocus() != m_search.m_hWnd)
        return;
    const int row = m_list.GetNextItem(-1, LVNI_FOCUSED);
    if (row < 0)
        return;
    m_announcer.Announce(m_rows.Name(row) + L", " + std::to_wstring(row + 1) + L" of " +
                         std::to_wstring(m_listView.View().Count()));
}

void CClipDlg::ClearHistory()
{
    // Clear All takes everything: with a search showing only some, the user is asked first.
    const int hidden = m_history.Count() - m_listView.View().Count();
    if (hidden > 0) {
        CString format;
        format.LoadString(IDS_CLEAR_ALL_HIDDEN);
        CString question;
        question.Format(format, hidden);
        // OK and Cancel, so that Esc answers as everywhere else.
        if (MessageBoxW(m_hWnd, question, L"Quillary", MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
            return;
    }
    m_history.Clear();
}

void CClipDlg::DeleteSelectedEntries()
{
    HistoryListView::RedrawHold hold(m_listView);
    m_history.Remove(m_listView.SelectedIds());
}

void CClipDlg::SetSelectedToTop()
{
    HistoryListView::RedrawHold hold(m_listView);
    m_history.SetTop(m_listView.SelectedIds());
}

void CClipDlg::ExitProgram()
{
    // A second exit (the session ending during Exit) must not save the freed entries again.
    if (m_bExiting)
        return;
    m_bExiting = 1;
    // The history is on its way to disk: copies read so far go in, and a copy
    // made now (while a message of the exit shows) would be lost, so none is read.
    m_capture.Stop();
    m_pendingPaste.Drop();
    m_rcWindow = m_monitors.Home(m_hWnd);
    ShowWindow(SW_HIDE);
    SaveAll();
    SendMessage(WM_CLOSE);
}

void CClipDlg::SaveAll()
{
    // What is waiting goes to the shared folder first: the full save then holds the last merge.
    m_share.Finish();
    // One last full save; should it fail, the journal still holds every change
    // for the next start, and the user is told before the program ends.
    const bool saved = m_durable.SaveAtExit();
    const SaveSet::Failure failure = saved ? SaveSet::Failure() : m_durable.LastSaveFailure();
    FreeAllEntryData();
    RemoveTrayIcon();
    // A balloon would go with the tray icon: a message box stays until it is read.
    if (!failure.file.empty() && !m_bSessionEnding)
        MessageBoxW(m_hWnd, notices::ExitSaveFailed(failure.file, failure.error).c_str(), notices::kTitle,
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void CClipDlg::ShowSaveReports()
{
    for (const JournalWriter::Report& report : m_durable.TakeReports()) {
        switch (report.kind) {
        case JournalWriter::Report::Kind::SaveFailed:
            ShowTrayBalloon(m_hWnd, notices::kTitle, notices::SaveFailed(report.file, report.error), true);
            break;
        case JournalWriter::Report::Kind::ReadFailed:
            ShowTrayBalloon(m_hWnd, notices::kTitle, notices::ReadFailed(report.file, report.error), true);
            break;
        case JournalWriter::Report::Kind::Saved:
            ShowTrayBalloon(m_hWnd, notices::kTitle, notices::SavedAgain(), false);
            break;
        }
    }
}

void CClipDlg::AddTrayIcon()
{
    TrayIcon::Add(m_hWnd, m_capture.Paused());
}

void CClipDlg::TogglePause()
{
    m_capture.SetPaused(!m_capture.Paused());
    TrayIcon::ShowPaused(m_hWnd, m_capture.Paused());
}

void CClipDlg::RemoveTrayIcon()
{
    TrayIcon::Remove(m_hWnd);
}

void CClipDlg::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage)
{
    TrayIcon::OnNotify(m_hWnd, iconId, mouseMessage, [this] { SummonAtFocus(); }, m_capture.Paused());
}

void CClipDlg::ShowOptions()
{
    COptionDlg dialog;
    dialog.SetOptions(static_cast<const ClipOptions&>(*this));
    dialog.SetSummonHotkey(&m_hotkeys.Summon());
    dialog.SetEntryCounter([this] { return m_history.Count(); });
    HistorySharing& sharing = m_share.Sharing();
    const std::wstring key = sharing.Fingerprint();
    dialog.SetSharePreparer([&sharing](const std::wstring& folder, const std::wstring& passphrase,
                                       std::wstring& fingerprint) { return sharing.Prepare(folder, passphrase, fingerprint); },
                            key);
    dialog.SetLockNoticesHeld(m_lockNotices.Held());
    if (dialog.DoModal() != IDOK)
        return;
    const bool wasShared = m_bShare != 0;
    const CString sharedFolder = m_strShareFolder;
    dialog.GetOptions(this);
    {
        // The user agreed to lose the entries beyond a smaller size.
        HistoryListView::RedrawHold hold(m_listView);
        m_history.TrimTo(m_nHistorySize);
    }
    ApplyOptions();
    m_durable.SaveOptions();
    SetAutoRun();
    ForgetOldEntries();
    // Turned on, off, or to another folder (or a new key for it): sharing begins again.
    if (wasShared != (m_bShare != 0) || sharedFolder.Str() != m_strShareFolder.Str() || dialog.ShareKey() != key) {
        HistoryListView::RedrawHold hold(m_listView);
        m_share.Restart();
    }
    // Turned on or off: the history is written anew in the chosen form, the old form's files removed.
    if (!m_durable.SetEncrypted(m_bEncrypt != 0)) {
        m_bEncrypt = 0;
        ShowTrayBalloon(m_hWnd, notices::kTitle, notices::EncryptionUnavailable(), true);
    }
}

void CClipDlg::ForgetOldEntries()
{
    HistoryListView::RedrawHold hold(m_listView);
    AgeLimit::Forget(m_history, m_nForgetDays, UtcNow());
}

void CClipDlg::ShowAbout()
{
    CAboutDlg::ShowAbout();
}

void CClipDlg::ShowHelp()
{
    HelpLauncher::ShowHelp();
}

void CClipDlg::SetAutoRun()
{
    ::SetAutoRun(m_bAutoRun != 0);
}
