#include "shell/OptionDlg.h"

#include "framework/AccessibleFacts.h"
#include "framework/CDataExchange.h"
#include "history/clipboard/IgnoredPrograms.h"
#include "resource.h"
#include "shell/ShareNotices.h"
#include "shell/PasteKeysDlg.h"
#include "shell/SummonHotkey.h"

#include <commctrl.h>
#include <shlobj.h>
#include <cstdlib>

namespace {

constexpr int kMaxTextLength = 1000;
constexpr int kMaxHistorySizeDigits = 5;
constexpr int kMaxForgetDaysDigits = 3;
constexpr int kMaxShareFormatsDigits = 5;

// True when the box holds a number from `least` to `most`; digits only, as the box takes them.
bool HoldsNumber(const CString& text, int digits, int least, int most)
{
    if (text.IsEmpty() || text.GetLength() > digits)
        return false;
    int value = 0;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p < L'0' || *p > L'9')
            return false;
        value = value * 10 + (*p - L'0');
    }
    return value >= least && value <= most;
}

}  // namespace

COptionDlg::COptionDlg(CWnd* parent) : CDialog(IDD_OPTION, parent)
{
}

void COptionDlg::SetOptions(ClipOptions options)
{
    m_strBefore = options.m_strBefore;
    m_strAfter = options.m_strAfter;
    m_bAutoRun = options.m_bAutoRun;
    m_bCompoundPaste = options.m_bCompoundPaste;
    m_nSummonHotkey = options.m_nSummonHotkey;
    m_nHistorySize = options.m_nHistorySize;
    m_bNoRepeats = options.m_bNoRepeats;
    m_bRecordPictures = options.m_bRecordPictures;
    m_bClearOnLock = options.m_bClearOnLock;
    m_bEncrypt = options.m_bEncrypt;
    m_bForgetOld = options.m_nForgetDays > 0;
    m_nForgetDays = options.m_nForgetDays > 0 ? options.m_nForgetDays : kDefaultForgetDays;
    m_strIgnoredPrograms = options.m_strIgnoredPrograms;
    m_bShare = options.m_bShare;
    m_strShareFolder = options.m_strShareFolder;
    m_nShareFormatsKB = options.m_nShareFormatsKB;
    m_bSharePictures = options.m_bSharePictures;
    m_pasteKeys = options.m_pasteKeys;
}

void COptionDlg::GetOptions(ClipOptions* options) const
{
    options->m_strBefore = m_strBefore;
    options->m_strAfter = m_strAfter;
    options->m_bAutoRun = m_bAutoRun;
    options->m_bCompoundPaste = m_bCompoundPaste;
    options->m_nSummonHotkey = m_nSummonHotkey;
    options->m_nHistorySize = m_nHistorySize;
    options->m_bNoRepeats = m_bNoRepeats;
    options->m_bRecordPictures = m_bRecordPictures;
    options->m_bClearOnLock = m_bClearOnLock;
    options->m_nForgetDays = m_bForgetOld ? m_nForgetDays : 0;
    options->m_bEncrypt = m_bEncrypt;
    options->m_strIgnoredPrograms = IgnoredPrograms::JoinList(IgnoredPrograms::ParseList(m_strIgnoredPrograms));
    options->m_bShare = m_bShare;
    options->m_strShareFolder = m_strShareFolder;
    options->m_nShareFormatsKB = m_nShareFormatsKB;
    options->m_bSharePictures = m_bSharePictures;
    options->m_pasteKeys = m_pasteKeys;
}

void COptionDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDOK, m_btnOk);
    DDX_Control(dx, IDCANCEL, m_btnCancel);
    DDX_Text(dx, IDC_EDIT_AFTER, m_strAfter);
    DDV_MaxChars(dx, m_strAfter, kMaxTextLength);
    DDX_Text(dx, IDC_EDIT_BEFORE, m_strBefore);
    DDV_MaxChars(dx, m_strBefore, kMaxTextLength);
    DDX_Check(dx, IDC_CHECK_AUTORUN, m_bAutoRun);
    DDX_Check(dx, IDC_CHECK_COMPOUND, m_bCompoundPaste);
    DDX_HotKey(dx, IDC_HOTKEY_SUMMON, m_nSummonHotkey);
    DDX_Text(dx, IDC_EDIT_HISTORY_SIZE, m_nHistorySize);
    DDX_Check(dx, IDC_CHECK_NO_REPEATS, m_bNoRepeats);
    DDX_Check(dx, IDC_CHECK_RECORD_PICTURES, m_bRecordPictures);
    DDX_Check(dx, IDC_CHECK_CLEAR_ON_LOCK, m_bClearOnLock);
    DDX_Check(dx, IDC_CHECK_ENCRYPT, m_bEncrypt);
    DDX_Check(dx, IDC_CHECK_FORGET_OLD, m_bForgetOld);
    // Unused days keep their last good value; used ones were checked before the exchange.
    if (!dx->m_bSaveAndValidate || m_bForgetOld)
        DDX_Text(dx, IDC_EDIT_FORGET_DAYS, m_nForgetDays);
    DDX_Text(dx, IDC_EDIT_IGNORED_PROGRAMS, m_strIgnoredPrograms);
    DDX_Check(dx, IDC_CHECK_SHARE, m_bShare);
    DDX_Text(dx, IDC_EDIT_SHARE_FOLDER, m_strShareFolder);
    if (!dx->m_bSaveAndValidate || m_bShare)
        DDX_Text(dx, IDC_EDIT_SHARE_FORMATS, m_nShareFormatsKB);
    DDX_Check(dx, IDC_CHECK_SHARE_PICTURES, m_bSharePictures);
}

BOOL COptionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_HISTORY_SIZE, EM_LIMITTEXT, kMaxHistorySizeDigits, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_FORGET_DAYS, EM_LIMITTEXT, kMaxForgetDaysDigits, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_SHARE_FORMATS, EM_LIMITTEXT, kMaxShareFormatsDigits, 0);
    UpdateCompoundControls();
    UpdateForgetControls();
    UpdateShareControls();
    ShowShareKey();
    if (!m_bLockNoticesHeld) {
        CString waiting;
        waiting.LoadString(IDS_CLEAR_ON_LOCK_WAITING);
        ::SetDlgItemTextW(m_hWnd, IDC_CHECK_CLEAR_ON_LOCK, waiting);
    }
    m_theme.Attach(m_hWnd);
    // Edits are named after the label before them; a hot-key field is not everywhere.
    if (m_summonKey.SubclassDlgItem(IDC_HOTKEY_SUMMON, this)) {
        CString name;
        name.LoadString(IDS_ACCESS_SUMMON_KEY);
        AccessibleFacts named;
        named.name = name.GetString();
        m_summonKey.SetAccessible(named);
    }
    return TRUE;
}

bool COptionDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return CDialog::OnMessage(message, wParam, lParam, result) || m_theme.OnMessage(message, wParam, lParam, result);
}

void COptionDlg::OnOK()
{
    // The summon key goes last: once it is registered, nothing may keep the dialog open.
    if (!CheckHistorySize() || !CheckForgetDays() || !CheckShareFormats() || !ConfirmTrim() || !PrepareSharing() ||
        !ApplySummonHotkey())
        return;
    CDialog::OnOK();
}

bool COptionDlg::CheckHistorySize()
{
    if (HoldsNumber(GetDlgItem(IDC_EDIT_HISTORY_SIZE)->GetWindowText(), kMaxHistorySizeDigits, kMinHistorySize,
                    kMaxHistorySize))
        return true;
    CString message;
    message.LoadString(IDS_HISTORY_SIZE_RANGE);
    Refuse(message, IDC_EDIT_HISTORY_SIZE);
    return false;
}

bool COptionDlg::CheckForgetDays()
{
    // Days that are not used are not judged.
    if (::SendDlgItemMessageW(m_hWnd, IDC_CHECK_FORGET_OLD, BM_GETCHECK, 0, 0) != BST_CHECKED ||
        HoldsNumber(GetDlgItem(IDC_EDIT_FORGET_DAYS)->GetWindowText(), kMaxForgetDaysDigits, kMinForgetDays,
                    kMaxForgetDays))
        return true;
    CString message;
    message.LoadString(IDS_FORGET_DAYS_RANGE);
    Refuse(message, IDC_EDIT_FORGET_DAYS);
    return false;
}

bool COptionDlg::CheckShareFormats()
{
    if (::SendDlgItemMessageW(m_hWnd, IDC_CHECK_SHARE, BM_GETCHECK, 0, 0) != BST_CHECKED ||
        HoldsNumber(GetDlgItem(IDC_EDIT_SHARE_FORMATS)->GetWindowText(), kMaxShareFormatsDigits, kMinShareFormatsKB,
                    kMaxShareFormatsKB))
        return true;
    Refuse(notices::ShareFormatsRange().c_str(), IDC_EDIT_SHARE_FORMATS);
    return false;
}

bool COptionDlg::ConfirmTrim()
{
    const int size = _wtoi(GetDlgItem(IDC_EDIT_HISTORY_SIZE)->GetWindowText());
    const int count = m_entryCounter ? m_entryCounter() : 0;
    if (size >= count)
        return true;
    CString format;
    format.LoadString(IDS_HISTORY_TRIM);
    CString question;
    question.Format(format, count, size, count - size);
    // OK and Cancel, so that Esc answers as everywhere else.
    if (::MessageBoxW(m_hWnd, question, GetWindowText(), MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK)
        return true;
    FocusControl(IDC_EDIT_HISTORY_SIZE);
    return false;
}

bool COptionDlg::ApplySummonHotkey()
{
    if (!m_pSummonHotkey)
        return true;
    const int key = static_cast<int>(LOWORD(SendDlgItemMessageW(m_hWnd, IDC_HOTKEY_SUMMON, HKM_GETHOTKEY, 0, 0)));
    const SummonHotkey::Result result = m_pSummonHotkey->Change(key);
    if (result == SummonHotkey::Result::Registered)
        return true;
    Refuse(SummonHotkey::RefusalMessage(result, key, m_pSummonHotkey->Key()), IDC_HOTKEY_SUMMON);
    return false;
}

bool COptionDlg::PrepareSharing()
{
    if (::SendDlgItemMessageW(m_hWnd, IDC_CHECK_SHARE, BM_GETCHECK, 0, 0) != BST_CHECKED || !m_sharePreparer)
        return true;
    std::wstring folder = GetDlgItem(IDC_EDIT_SHARE_FOLDER)->GetWindowText().Str();
    folder.erase(0, folder.find_first_not_of(L" \t"));
    folder.erase(folder.find_last_not_of(L" \t") + 1);
    std::wstring passphrase = GetDlgItem(IDC_EDIT_SHARE_PASSPHRASE)->GetWindowText().Str();
    // Already shared there, and nothing new typed: the folder may be away for now, which is fine.
    if (m_bShare && folder == m_strShareFolder.Str() && passphrase.empty() && !m_strShareKey.empty())
        return true;
    std::wstring fingerprint;
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    const HistorySharing::Setup setup = m_sharePreparer(folder, passphrase, fingerprint);
    ::SetCursor(previous);
    SecureZeroMemory(&passphrase[0], passphrase.size() * sizeof(wchar_t));
    if (setup == HistorySharing::Setup::Ready) {
        m_strShareKey = fingerprint;
        ShowShareKey();
        ::SetDlgItemTextW(m_hWnd, IDC_EDIT_SHARE_FOLDER, folder.c_str());
        ::SetDlgItemTextW(m_hWnd, IDC_EDIT_SHARE_PASSPHRASE, L"");
        return true;
    }
    const bool aboutPassphrase =
        setup == HistorySharing::Setup::NeedPassphrase || setup == HistorySharing::Setup::WrongPassphrase;
    Refuse(notices::ShareSetupRefused(setup).c_str(), aboutPassphrase ? IDC_EDIT_SHARE_PASSPHRASE : IDC_EDIT_SHARE_FOLDER,
           setup == HistorySharing::Setup::WrongPassphrase ? MB_ICONERROR : MB_ICONEXCLAMATION);
    return false;
}

void COptionDlg::ShowShareKey()
{
    const std::wstring text = m_strShareKey.empty() ? std::wstring() : L"Key: " + m_strShareKey;
    ::SetDlgItemTextW(m_hWnd, IDC_STATIC_SHARE_KEY, text.c_str());
}

void COptionDlg::BrowseShareFolder()
{
    BROWSEINFOW browse = {};
    browse.hwndOwner = m_hWnd;
    browse.lpszTitle = L"The folder your sync service keeps (OneDrive, Dropbox, Syncthing) or a network share:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (!chosen)
        return;
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(chosen, path))
        ::SetDlgItemTextW(m_hWnd, IDC_EDIT_SHARE_FOLDER, path);
    ::CoTaskMemFree(chosen);
}

void COptionDlg::Refuse(const CString& message, int control, UINT icon)
{
    CString caption = GetWindowText();
    ::MessageBoxW(m_hWnd, message, caption, MB_OK | icon);
    FocusControl(control);
}

void COptionDlg::FocusControl(int control)
{
    // Back to the control at fault; an edit's text is selected for retyping.
    HWND box = ::GetDlgItem(m_hWnd, control);
    ::SetFocus(box);
    ::SendMessageW(box, EM_SETSEL, 0, -1);
}

bool COptionDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_CHECK_COMPOUND && HIWORD(wParam) == BN_CLICKED) {
        UpdateCompoundControls();
        return true;
    }
    if (LOWORD(wParam) == IDC_CHECK_FORGET_OLD && HIWORD(wParam) == BN_CLICKED) {
        UpdateForgetControls();
        return true;
    }
    if (LOWORD(wParam) == IDC_CHECK_SHARE && HIWORD(wParam) == BN_CLICKED) {
        UpdateShareControls();
        return true;
    }
    if (LOWORD(wParam) == IDC_BUTTON_SHARE_BROWSE && HIWORD(wParam) == BN_CLICKED) {
        BrowseShareFolder();
        return true;
    }
    if (LOWORD(wParam) == IDC_BUTTON_PASTE_KEYS && HIWORD(wParam) == BN_CLICKED) {
        EditPasteKeys();
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void COptionDlg::EditPasteKeys()
{
    // Taken only when the Option dialog's OK is pressed too.
    CPasteKeysDlg dialog(this);
    dialog.SetRules(m_pasteKeys);
    if (dialog.DoModal() == IDOK)
        m_pasteKeys = dialog.Rules();
}

void COptionDlg::UpdateCompoundControls()
{
    HWND compound = ::GetDlgItem(m_hWnd, IDC_CHECK_COMPOUND);
    if (!compound)
        return;
    HWND after = ::GetDlgItem(m_hWnd, IDC_EDIT_AFTER);
    HWND before = ::GetDlgItem(m_hWnd, IDC_EDIT_BEFORE);
    if (!after || !before)
        return;
    // Disabled edits still take part in the data exchange, so their text is kept.
    const BOOL enable = ::SendMessageW(compound, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::EnableWindow(after, enable);
    ::EnableWindow(before, enable);
}

void COptionDlg::UpdateForgetControls()
{
    const bool forget = ::SendDlgItemMessageW(m_hWnd, IDC_CHECK_FORGET_OLD, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EDIT_FORGET_DAYS), forget);
}

void COptionDlg::UpdateShareControls()
{
    const bool share = ::SendDlgItemMessageW(m_hWnd, IDC_CHECK_SHARE, BM_GETCHECK, 0, 0) == BST_CHECKED;
    for (int control : {IDC_EDIT_SHARE_FOLDER, IDC_BUTTON_SHARE_BROWSE, IDC_EDIT_SHARE_PASSPHRASE,
                        IDC_EDIT_SHARE_FORMATS, IDC_CHECK_SHARE_PICTURES})
        ::EnableWindow(::GetDlgItem(m_hWnd, control), share);
}
