#pragma once
#include "framework/CWnd.h"

class CDataExchange;

// A dialog built from a template resource. DoModal runs it with our own modal
// loop, so that PreTranslateMessage sees every queued message first.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // Creates the dialog modeless, owned by `owner` (may be null).
    bool Create(HWND owner);
    void EndDialog(INT_PTR result);
    bool UpdateData(bool saveAndValidate = true);

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();

    UINT GetTemplateId() const { return m_nIDTemplate; }
    bool IsInModalLoop() const { return m_inModalLoop; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PostNcDestroy() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    HWND FindOwner() const;
    // Runs messages until the dialog ends; true when a WM_QUIT ended the loop instead.
    bool RunModalLoop(WPARAM& quitCode);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    INT_PTR m_nModalResult = -1;
    bool m_endModal = false;
    bool m_inModalLoop = false;
};
