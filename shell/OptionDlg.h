#pragma once
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "history/model/ClipOptions.h"
#include "history/share/HistorySharing.h"
#include "shell/DialogTheme.h"

#include <functional>
#include <string>

class SummonHotkey;

// The options dialog: the before and after strings, compound paste, start
// with Windows, the summon key, the history size, no repeats, record pictures,
// the programs to ignore, clearing at a lock, forgetting old entries, encryption and sharing through a
// folder; "Paste keys..." opens the paste key of each program. It works on a copy of the settings record.
class COptionDlg : public CDialog {
public:
    explicit COptionDlg(CWnd* parent = nullptr);

    // Takes the settings the dialog edits; the rest of the record is not used.
    void SetOptions(ClipOptions options);
    // Writes the settings back, the programs to ignore as a clean list, and
    // leaves the other fields as they are.
    void GetOptions(ClipOptions* options) const;
    // When set, OK registers a changed summon key through it at once and stays
    // open, naming the key, when the key cannot be had.
    void SetSummonHotkey(SummonHotkey* hotkey) { m_pSummonHotkey = hotkey; }
    // How many entries the history holds at the moment (copies go on while the
    // dialog is open): OK asks before a smaller size removes some.
    void SetEntryCounter(std::function<int()> counter) { m_entryCounter = std::move(counter); }
    // Makes or joins the share when OK is pressed with sharing on and its folder
    // or passphrase new; the dialog stays open, saying why, unless it is ready.
    using SharePreparer = std::function<HistorySharing::Setup(const std::wstring& folder,
                                                              const std::wstring& passphrase, std::wstring& fingerprint)>;
    void SetSharePreparer(SharePreparer preparer, std::wstring fingerprint)
    {
        m_sharePreparer = std::move(preparer);
        m_strShareKey = std::move(fingerprint);
    }
    // The fingerprint of the key this PC holds after the dialog.
    const std::wstring& ShareKey() const { return m_strShareKey; }
    // False while Windows gives the program no notice of locks: the clear-at-lock
    // box then says that it waits for Windows.
    void SetLockNoticesHeld(bool held) { m_bLockNoticesHeld = held; }
    // The before and after edits are usable only while compound paste is ticked,
    // the days only while forgetting is.
    void UpdateCompoundControls();
    void UpdateForgetControls();
    void UpdateShareControls();

    CButton m_btnOk;
    CButton m_btnCancel;
    CString m_strAfter;
    CString m_strBefore;
    int m_bAutoRun = 0;
    int m_bCompoundPaste = 0;
    int m_nSummonHotkey = kDefaultSummonHotkey;
    int m_nHistorySize = kDefaultHistorySize;
    int m_bNoRepeats = 0;
    int m_bRecordPictures = 0;
    int m_bClearOnLock = 0;
    int m_bForgetOld = 0;
    int m_nForgetDays = kDefaultForgetDays;  // shown, and kept while forgetting is off
    int m_bEncrypt = 0;
    CString m_strIgnoredPrograms;
    int m_bShare = 0;
    CString m_strShareFolder;
    int m_nShareFormatsKB = kDefaultShareFormatsKB;
    int m_bSharePictures = 0;
    std::wstring m_strShareKey;  // the fingerprint of the key this PC holds
    PasteKeyList::Rules m_pasteKeys;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // False, after telling the user, when the size box holds no number in range.
    bool CheckHistorySize();
    bool CheckForgetDays();
    // False when the user would rather keep the entries a smaller size removes.
    bool CheckShareFormats();
    bool ConfirmTrim();
    // False, after telling the user, when a changed summon key cannot be registered.
    bool ApplySummonHotkey();
    // False, after telling the user, when sharing is on and its folder cannot be made or joined.
    bool PrepareSharing();
    void BrowseShareFolder();
    void ShowShareKey();
    void Refuse(const CString& message, int control, UINT icon = MB_ICONEXCLAMATION);
    void EditPasteKeys();
    void FocusControl(int control);

    // Bound only to be named for screen readers.
    CWnd m_summonKey;
    SummonHotkey* m_pSummonHotkey = nullptr;
    std::function<int()> m_entryCounter;
    SharePreparer m_sharePreparer;
    bool m_bLockNoticesHeld = true;
    DialogTheme m_theme;
};
