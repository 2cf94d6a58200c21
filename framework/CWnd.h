#pragma once
#include <windows.h>
#include "framework/CString.h"

class AccessibleItems;
class AccessibleWindow;
struct AccessibleFacts;

// Base of every window object. A CWnd is bound to a window by replacing the
// window's procedure (the object is found through the thread's handle map);
// from then on the window's messages reach WindowProc, and what the object
// does not handle goes to DefWindowProc, the procedure it replaced.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to a window of this thread, or null.
    static CWnd* FromHandlePermanent(HWND window);
    // The bound object, or a temporary wrapper that lives until the next idle moment.
    static CWnd* FromHandle(HWND window);
    static void DeleteTempMap();

    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    virtual bool DestroyWindow();

    // From now on a screen reader that asks for the window's client area reads
    // these facts over what the system's own object says, and `items` (kept,
    // not owned; they must last as long as the window) as the items inside it.
    // Called again, it changes the facts; the items stay.
    void SetAccessible(const AccessibleFacts& facts, AccessibleItems* items = nullptr);
    // The facts given, or null before SetAccessible.
    const AccessibleFacts* GetAccessible() const;

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Offers a queued message to PreTranslateMessage of the window it is for and
    // of each parent up to and including `last`; true when one consumed it.
    static bool WalkPreTranslateTree(HWND last, MSG* msg);

    // Thin wrappers over the window calls the program uses.
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) { return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    CString GetWindowText() const;
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
    void ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(RECT* rect) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

protected:
    // The message table of a window class: return true with a result when the
    // message was handled. The base class routes commands and notifications.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_COMMAND (from a child, a menu or an accelerator); true when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY from a child; true when handled, with the result set.
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A notification the parent hands back to the control that sent it. True
    // means the control handled it and the parent goes no further.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Called just before the object starts receiving the window's messages.
    virtual void PreSubclassWindow() {}
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

    // Hands a child's notification to the child's object first.
    bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    static LRESULT CALLBACK BoundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

public:
    struct MapTraits;

private:
    void Bind(HWND window);
    void Unbind();
    void RestorePreviousProc();
    void ReleaseAccessible();
    WNDPROC m_prevProc = nullptr;
    bool m_temporary = false;
    AccessibleWindow* m_accessible = nullptr;
};
