#pragma once
#include "framework/CDialog.h"
#include "framework/CImageList.h"
#include "framework/CListCtrl.h"
#include "controls/ImageButton.h"
#include "history/model/AgeLimit.h"
#include "history/model/ClipOptions.h"
#include "history/clipboard/ClipboardCapture.h"
#include "shell/popup/HistoryListView.h"
#include "history/model/HistoryModel.h"
#include "history/store/DurableHistory.h"
#include "history/clipboard/PasteBack.h"
#include "shell/CommandTable.h"
#include "shell/ShareCoordinator.h"
#include "shell/TargetSelection.h"
#include "shell/popup/PopupDpi.h"
#include "shell/popup/LockNotices.h"
#include "shell/popup/PopupKeyboard.h"
#include "shell/popup/PopupTheme.h"
#include "shell/popup/SearchField.h"
#include "shell/popup/TargetMonitorPlacement.h"
#include "shell/popup/PreviewController.h"
#include "shell/popup/PopupHotkeys.h"
#include "shell/popup/HistoryRows.h"
#include "shell/popup/SearchAnnouncer.h"
#include "shell/popup/PendingPaste.h"

// The program's one window: the always-on-top popup with the history list. It
// owns the settings, the capture of copies, the paste target, the hotkeys and
// the tray icon. Closing it only hides it; ExitProgram ends it.
class CClipDlg : public CDialog, public ClipOptions {
public:
    CClipDlg();
    ~CClipDlg() override;

    // History operations (commands and capture reach these); the model holds their rules.
    void InsertTextEntry(const wchar_t* text, size_t length) { m_history.InsertText(TextUpToNul(text, length)); }
    void TrimHistory() { m_history.TrimForInsert(); }
    void DeleteSelectedEntries();
    void SetSelectedToTop();
    void ClearHistory();
    void FreeAllEntryData() { m_history.Release(); }
    const HistoryModel& History() const { return m_history; }

    void SummonAtFocus();
    HWND GetFocusInForeground();
    void RestoreTargetFocus(HWND window);
    void PinForegroundTop();
    void UnpinForegroundTop();
    void ExitProgram();
    void PasteSelectedEntries();
    // Shift+Enter and "Paste as plain text": the selected entries' text alone.
    void PasteSelectedAsPlainText();
    // Ctrl+1 to Ctrl+9: the row shown at `row` alone, as Enter would paste it.
    void PasteRow(int row);
    // Ctrl+Shift+Enter and "Type it": the selected entries' text typed into the target key by key.
    void TypeSelectedEntries();

    // The data folder's files: loaded at start, kept up to date from then on,
    // saved in full at exit.
    BOOL LoadOptions();
    void LoadHistory() { m_durable.LoadHistory(); }
    void SaveAll();

    // Tray icon, commands and the dialogs they open.
    void AddTrayIcon();
    void RemoveTrayIcon();
    void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    void ShowOptions();
    void ShowAbout();
    void ShowHelp();
    void SetAutoRun();
    // "Pause recording": nothing is recorded until it is chosen again or Quillary restarts.
    void TogglePause();

    const CString& DataDir() const { return m_strDataDir; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static constexpr UINT_PTR kForgetTimer = 0x5151;
    static constexpr UINT_PTR kReadAgainTimer = 0x5154;
    // A search is told to screen readers once typing has paused this long.
    static constexpr UINT_PTR kAnnounceTimer = 0x5153;
    static constexpr UINT kAnnounceDelayMs = 300;

    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    void OnSysCommand(WPARAM id, LPARAM lParam);
    // A lock of the session clears the history when the user asked for it.
    void OnSessionChange(WPARAM event);
    bool OnPaint();
    void OnSize();
    void PrepareDataFolder();
    void HoldListWhileHidden(UINT message, UINT windowPosFlags);
    void PlacePopup(bool haveStoredRect);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void RegisterHotkeys();
    void UnregisterHotkeys();
    void ShowSaveReports();
    // Tells the user when a paste could not press its key (the entry is on the clipboard).
    void ReportPaste(PasteBack::Outcome outcome);
    // False when the user would rather not have a long text typed.
    bool ConfirmTyping(size_t length);
    void HidePopup();
    void OnSearchChanged();
    // Names, roles and the rows for screen readers, and the live region searches are told in.
    void MakeAccessible();
    // What the search found (the count and the entry selected), told without moving the focus.
    void AnnounceSearch();
    // The entry the arrows moved to while the focus is in the search field.
    void AnnounceFocusedRow();
    // The settings the program runs by: the history's size, the programs to ignore.
    void ApplyOptions();
    // "Forget entries older than N days", at start, hourly and when the option changes.
    void ForgetOldEntries();
    // Runs the paste now, or once capture no longer holds the clipboard.
    void PasteWhenFree(std::function<void()> paste);

    CImageButton m_btnOptions;
    CListCtrl m_list;
    CSearchField m_search;
    int m_bReady = 0;
    int m_bExiting = 0;
    // Windows is ending the session: nothing may hold it up.
    int m_bSessionEnding = 0;
    int m_bListHeld = 0;
    // Set while the popup moves itself to its rectangle at start.
    int m_bPlacing = 0;
    // Sent to every top-level window when the taskbar is made anew (Explorer restarted).
    const UINT m_nTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    CImageList m_imageList;
    PopupDpi m_dpi{m_imageList};
    HWND m_hPasteTarget = nullptr;
    TargetSelection m_targetSelection;
    PopupHotkeys m_hotkeys;
    HICON m_hIcon = nullptr;
    CString m_strDataDir;
    HistoryModel m_history;
    HistoryListView m_listView;
    HistoryRows m_rows{m_list, m_listView, m_history, [this](int row) { PasteRow(row); }};
    SearchAnnouncer m_announcer;
    ClipboardCapture m_capture;
    PasteBack m_paste;
    PendingPaste m_pendingPaste;
    DurableHistory m_durable;
    ShareCoordinator m_share;
    CommandTable m_commands;
    PopupKeyboard m_keyboard;
    PreviewController m_preview;
    PopupTheme m_theme;
    TargetMonitorPlacement m_monitors{m_bPlacing};
    LockNotices m_lockNotices;
};
