#pragma once
#include "framework/CStatic.h"
#include "framework/CToolTipCtrl.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"

#include <string>

// A static text control of a dialog that acts as a link: link colours, an
// underline while the pointer is over it, a hand cursor, a tooltip with the
// target, and a click that opens the target through the shell (falling back
// to the program registered for ".htm" files). Tab reaches it, Enter or Space
// opens it, and screen readers read it as a link.
class CHyperLinkLabel : public CStatic {
public:
    CHyperLinkLabel() = default;
    ~CHyperLinkLabel() override = default;

    void SetTarget(const CString& target);
    const CString& GetTarget() const { return m_strTarget; }
    void MarkVisited(BOOL visited);
    BOOL IsVisited() const { return m_bVisited; }
    BOOL IsHovering() const { return m_bHovering; }
    // 1: always underlined, -1: underlined while hovering, other values: never.
    void SetUnderlineMode(int mode);
    int GetUnderlineMode() const { return m_nUnderline; }
    void FitToText();
    void LoadHandCursor();
    HCURSOR GetHandCursor() const { return m_hCursor.Get(); }
    HWND GetToolTip() const { return m_toolTip.m_hWnd; }

    // Reads the default value of a registry key; 0 on success, else the error
    // of opening the key. A default value that cannot be read counts as empty.
    static LONG QueryRegDefault(HKEY root, const wchar_t* subkey, std::wstring& value);

    // Opens `target`; a result above 32 is success, anything else is the
    // ShellExecute or WinExec error code.
    virtual int LaunchTarget(const wchar_t* target, int showCommand);
    virtual void ShowLaunchError(int code);

    bool DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void MakeFaces(HFONT font);
    LRESULT OnSetFont(HFONT font, LPARAM redraw);
    HBRUSH OnCtlColor(HDC dc);
    void OnMouseMove();
    void OnTimer();
    void OnClicked();
    void OnEraseBackground(HDC dc);
    // What a screen reader is told: a link, its target, its action.
    void UpdateAccessible();
    // Keys, focus and the focus rectangle; true when the message was handled.
    bool OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    BOOL m_bHovering = FALSE;
    BOOL m_bVisited = FALSE;
    int m_nUnderline = -1;
    BOOL m_bFitToText = TRUE;
    CString m_strTarget;
    CFont m_fontUnderline;
    CFont m_fontPlain;
    UniqueIcon m_hCursor;
    CToolTipCtrl m_toolTip;
    UINT m_nTimerId = 100;
};
