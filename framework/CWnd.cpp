#include "framework/CWnd.h"

#include "framework/AccessibleWindow.h"
#include "framework/HandleMap.h"

#include <unordered_map>
#include <vector>

namespace {

// Windows whose object let go while a procedure installed after ours kept
// calling it: our procedure passes their messages on to what it replaced.
thread_local std::unordered_map<HWND, WNDPROC> t_orphans;

bool IsReflectedColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

CWnd::~CWnd()
{
    if (m_hWnd && !m_temporary) {
        if (::IsWindow(m_hWnd))
            UnsubclassWindow();
        else
            Unbind();
    }
}

struct CWnd::MapTraits {
    static std::unique_ptr<CWnd> Wrap(HWND window)
    {
        auto wrapper = std::make_unique<CWnd>();
        wrapper->m_hWnd = window;
        wrapper->m_temporary = true;
        return wrapper;
    }
    static void Forget(CWnd& wrapper) { wrapper.m_hWnd = nullptr; }
};

// Window objects live on the thread that owns their windows, so the map is per thread.
static thread_local HandleMap<HWND, CWnd, CWnd::MapTraits> t_windows;

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    return window ? t_windows.Find(window) : nullptr;
}

CWnd* CWnd::FromHandle(HWND window)
{
    return window ? t_windows.FindOrWrap(window) : nullptr;
}

void CWnd::DeleteTempMap()
{
    t_windows.DropTemporaries();
}

void CWnd::Bind(HWND window)
{
    m_hWnd = window;
    t_windows.Add(window, this);
}

void CWnd::Unbind()
{
    ReleaseAccessible();
    t_windows.Remove(m_hWnd, this);
    m_hWnd = nullptr;
}

bool CWnd::SubclassWindow(HWND window)
{
    if (!window || m_hWnd || FromHandlePermanent(window))
        return false;
    m_hWnd = window;
    PreSubclassWindow();
    // The object is found through the map, so it is in place before our procedure can run.
    Bind(window);
    SetLastError(0);
    const LONG_PTR previous = ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::BoundProc));
    if (!previous && GetLastError() != 0) {
        Unbind();
        return false;
    }
    m_prevProc = reinterpret_cast<WNDPROC>(previous);
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND window = m_hWnd;
    if (!window)
        return nullptr;
    RestorePreviousProc();
    Unbind();
    return window;
}

void CWnd::RestorePreviousProc()
{
    if (!m_prevProc)
        return;
    if (::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::BoundProc))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
    else
        t_orphans[m_hWnd] = m_prevProc;  // whoever replaced ours still calls it
    m_prevProc = nullptr;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id)
{
    HWND parentWindow = parent ? parent->m_hWnd : nullptr;
    HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND window = ::CreateWindowExW(exStyle, className, title, style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parentWindow,
                                    menuOrId, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return false;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return false;
    }
    return true;
}

bool CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return false;
    HWND window = m_hWnd;
    return ::DestroyWindow(window) != FALSE;
}

CString CWnd::GetWindowText() const
{
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return CString(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

void CWnd::ScreenToClient(RECT* rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ClientToScreen(RECT* rect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::SetAccessible(const AccessibleFacts& facts, AccessibleItems* items)
{
    if (!m_hWnd)
        return;
    if (m_accessible)
        m_accessible->SetFacts(facts);
    else
        m_accessible = new AccessibleWindow(m_hWnd, facts, items);
}

const AccessibleFacts* CWnd::GetAccessible() const
{
    return m_accessible ? &m_accessible->Facts() : nullptr;
}

void CWnd::ReleaseAccessible()
{
    if (!m_accessible)
        return;
    m_accessible->Disconnect();
    m_accessible->Release();
    m_accessible = nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_accessible && m_accessible->OnMessage(message, wParam, lParam, result))
        return result;
    if (OnMessage(message, wParam, lParam, result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_prevProc)
        return ::CallWindowProcW(m_prevProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

bool CWnd::WalkPreTranslateTree(HWND last, MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        CWnd* object = FromHandlePermanent(window);
        if (object && object->PreTranslateMessage(msg))
            return true;
        if (window == last)
            break;
    }
    return false;
}

bool CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    CWnd* object = FromHandlePermanent(child);
    return object && object != this && object->OnChildNotify(message, wParam, lParam, result);
}

bool CWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_COMMAND:
        if (lParam && ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result))
            return true;
        if (OnCommand(wParam, lParam)) {
            result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        // Only our own children's notifications are reflected; a header control
        // inside a list view, for instance, notifies the list view, not us.
        if (header && ::GetParent(header->hwndFrom) == m_hWnd &&
            ReflectToChild(header->hwndFrom, message, wParam, lParam, result))
            return true;
        return OnNotify(wParam, lParam, result);
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU && ReflectToChild(item->hwndItem, message, wParam, lParam, result))
            return true;
        return false;
    }
    case WM_MEASUREITEM: {
        const MEASUREITEMSTRUCT* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU &&
            ReflectToChild(::GetDlgItem(m_hWnd, static_cast<int>(item->CtlID)), message, wParam, lParam, result))
            return true;
        return false;
    }
    default:
        if (IsReflectedColorMessage(message) && lParam &&
            ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result))
            return true;
        return false;
    }
}

bool CWnd::OnCommand(WPARAM, LPARAM)
{
    return false;
}

bool CWnd::OnNotify(WPARAM, LPARAM, LRESULT&)
{
    return false;
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

LRESULT CALLBACK CWnd::BoundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = FromHandlePermanent(window);
    if (!object) {
        auto orphan = t_orphans.find(window);
        WNDPROC previous = orphan == t_orphans.end() ? nullptr : orphan->second;
        if (message == WM_NCDESTROY && orphan != t_orphans.end())
            t_orphans.erase(orphan);
        return previous ? ::CallWindowProcW(previous, window, message, wParam, lParam)
                        : ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        WNDPROC previous = object->m_prevProc;
        object->RestorePreviousProc();
        t_orphans.erase(window);
        object->Unbind();
        LRESULT result = previous ? ::CallWindowProcW(previous, window, message, wParam, lParam)
                                  : ::DefWindowProcW(window, message, wParam, lParam);
        object->PostNcDestroy();
        return result;
    }
    // No C++ exception may unwind through the system's frames.
    try {
        return object->WindowProc(message, wParam, lParam);
    } catch (...) {
        return object->DefWindowProc(message, wParam, lParam);
    }
}
