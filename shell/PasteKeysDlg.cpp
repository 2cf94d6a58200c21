#include "shell/PasteKeysDlg.h"

#include "resource.h"

#include <commctrl.h>

#include <iterator>

namespace {

constexpr PasteKey kKeys[] = {PasteKey::CtrlV, PasteKey::ShiftInsert, PasteKey::CtrlShiftV};
// What a program added to the list mostly needs.
constexpr int kOfferedKey = 1;
constexpr int kMaxNameLength = 260;

}  // namespace

CPasteKeysDlg::CPasteKeysDlg(CWnd* parent) : CDialog(IDD_PASTE_KEYS, parent)
{
}

BOOL CPasteKeysDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND list = ::GetDlgItem(m_hWnd, IDC_LIST_PASTE_KEYS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    RECT room = {};
    ::GetClientRect(list, &room);
    const int keyWidth = (room.right - room.left) * 2 / 5;
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Program");
    column.cx = room.right - room.left - keyWidth - GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(list, 0, &column);
    column.pszText = const_cast<wchar_t*>(L"Paste key");
    column.cx = keyWidth;
    ListView_InsertColumn(list, 1, &column);
    for (PasteKey key : kKeys)
        ::SendDlgItemMessageW(m_hWnd, IDC_COMBO_PASTE_KEY, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(PasteKeyList::KeyName(key)));
    ::SendDlgItemMessageW(m_hWnd, IDC_COMBO_PASTE_KEY, CB_SETCURSEL, kOfferedKey, 0);
    ::SendDlgItemMessageW(m_hWnd, IDC_EDIT_PASTE_PROGRAM, EM_LIMITTEXT, kMaxNameLength, 0);
    ShowRules(-1);
    m_theme.Attach(m_hWnd);
    return TRUE;
}

bool CPasteKeysDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return CDialog::OnMessage(message, wParam, lParam, result) || m_theme.OnMessage(message, wParam, lParam, result);
}

void CPasteKeysDlg::OnOK()
{
    // A program typed but not added yet is what the user meant to add.
    if (::GetWindowTextLengthW(::GetDlgItem(m_hWnd, IDC_EDIT_PASTE_PROGRAM)) > 0 && !AddTyped())
        return;
    CDialog::OnOK();
}

bool CPasteKeysDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_BUTTON_PASTE_SET) {
        if (AddTyped())
            ::SetDlgItemTextW(m_hWnd, IDC_EDIT_PASTE_PROGRAM, L"");
        return true;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_BUTTON_PASTE_REMOVE) {
        RemoveSelected();
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

bool CPasteKeysDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_LIST_PASTE_KEYS && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
            !(change->uOldState & LVIS_SELECTED))
            TakeSelected();
        result = 0;
        return true;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

bool CPasteKeysDlg::AddTyped()
{
    const CString name = PasteKeyList::CleanName(GetDlgItem(IDC_EDIT_PASTE_PROGRAM)->GetWindowText());
    if (name.IsEmpty()) {
        CString message;
        message.LoadString(IDS_PASTE_KEY_NO_NAME);
        ::MessageBoxW(m_hWnd, message, GetWindowText(), MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_EDIT_PASTE_PROGRAM));
        return false;
    }
    ShowRules(static_cast<int>(PasteKeyList::Set(m_rules, name, ChosenKey())));
    return true;
}

void CPasteKeysDlg::RemoveSelected()
{
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(m_rules.size()))
        return;
    m_rules.erase(m_rules.begin() + row);
    ShowRules(row < static_cast<int>(m_rules.size()) ? row : row - 1);
}

void CPasteKeysDlg::ShowRules(int selected)
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_LIST_PASTE_KEYS);
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < m_rules.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(m_rules[i].program.GetString());
        ListView_InsertItem(list, &item);
        ListView_SetItemText(list, item.iItem, 1, const_cast<wchar_t*>(PasteKeyList::KeyName(m_rules[i].key)));
    }
    if (selected >= 0) {
        ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, selected, FALSE);
    }
}

void CPasteKeysDlg::TakeSelected()
{
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(m_rules.size()))
        return;
    ::SetDlgItemTextW(m_hWnd, IDC_EDIT_PASTE_PROGRAM, m_rules[row].program);
    for (int i = 0; i < static_cast<int>(std::size(kKeys)); ++i) {
        if (kKeys[i] == m_rules[row].key)
            ::SendDlgItemMessageW(m_hWnd, IDC_COMBO_PASTE_KEY, CB_SETCURSEL, i, 0);
    }
}

int CPasteKeysDlg::SelectedRow() const
{
    return ListView_GetNextItem(::GetDlgItem(m_hWnd, IDC_LIST_PASTE_KEYS), -1, LVNI_SELECTED);
}

PasteKey CPasteKeysDlg::ChosenKey() const
{
    const LRESULT chosen = ::SendDlgItemMessageW(m_hWnd, IDC_COMBO_PASTE_KEY, CB_GETCURSEL, 0, 0);
    return chosen >= 0 && chosen < static_cast<LRESULT>(std::size(kKeys)) ? kKeys[chosen] : PasteKey::CtrlV;
}
