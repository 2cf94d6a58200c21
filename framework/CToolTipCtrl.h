#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/CWnd.h"

// A tooltip window owned by a parent window. Its window is its own and is
// destroyed with the object.
class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    ~CToolTipCtrl() override;

    BOOL Create(CWnd* parent, DWORD style = 0);
    // The owner relays its mouse messages (RelayEvent); the tip shows for them.
    // Registers a tool: the area `rect` of `window` (its whole client area when
    // rect is null), shown with `text`, known by `id`.
    BOOL AddTool(CWnd* window, const wchar_t* text, const RECT* rect = nullptr, UINT_PTR id = 0);
    void UpdateTipText(const wchar_t* text, CWnd* window, UINT_PTR id = 0);
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

private:
    static TOOLINFOW MakeToolInfo(CWnd* window, UINT_PTR id);
};
