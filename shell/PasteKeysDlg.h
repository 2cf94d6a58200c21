#pragma once
#include "framework/CDialog.h"
#include "history/model/PasteKeyList.h"
#include "shell/DialogTheme.h"

// The paste key of each program, reached from the Option dialog: the list of
// programs with their keys, a program's executable name and a key to add or
// change it, and Remove. It works on a copy of the list.
class CPasteKeysDlg : public CDialog {
public:
    explicit CPasteKeysDlg(CWnd* parent = nullptr);

    void SetRules(PasteKeyList::Rules rules) { m_rules = std::move(rules); }
    const PasteKeyList::Rules& Rules() const { return m_rules; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The program typed and the key chosen, into the list; false, after
    // telling the user, when no name is typed.
    bool AddTyped();
    void RemoveSelected();
    void ShowRules(int selected);
    // The selected program's name and key into the fields below the list.
    void TakeSelected();
    int SelectedRow() const;
    PasteKey ChosenKey() const;

    PasteKeyList::Rules m_rules;
    DialogTheme m_theme;
};
