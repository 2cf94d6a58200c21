#include "bench/ListHost.h"

#include <commctrl.h>

namespace {

const wchar_t kHostClass[] = L"QuillaryBenchListHost";

}  // namespace

LRESULT CALLBACK ListHost::HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_NOTIFY && lParam) {
        auto* host = reinterpret_cast<ListHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        LRESULT result = 0;
        if (host && host->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
            return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool ListHost::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != m_list)
        return false;
    if (header.code == LVN_GETDISPINFOW && m_displayInfo) {
        m_displayInfo(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
        result = 0;
        return true;
    }
    if (header.code == LVN_ODFINDITEMW) {
        // As the popup: typing does not jump by first letter.
        result = -1;
        return true;
    }
    return false;
}

ListHost::ListHost(Kind kind)
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kHostClass;
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered)
        return;
    // The popup's default rectangle: 10, 10, 200, 300.
    m_window = CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"Quillary bench list", WS_POPUP | WS_CAPTION | WS_THICKFRAME,
                               10, 10, 190, 290, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!m_window)
        return;
    RECT client;
    GetClientRect(m_window, &client);
    // The image list is shared, as the popup's: this host owns it.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT |
                  LVS_SHAREIMAGELISTS;
    if (kind == Kind::OwnerData)
        style |= LVS_OWNERDATA;
    m_list = CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, L"", style, 0, 0, client.right, client.bottom - 20,
                             m_window, reinterpret_cast<HMENU>(1005), GetModuleHandleW(nullptr), nullptr);
    if (!m_list)
        return;
    SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    m_images = ImageList_Create(16, 16, ILC_COLOR8, 2, 2);
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    for (int i = 0; i < 4; ++i)
        ImageList_ReplaceIcon(m_images, -1, icon);
    ListView_SetImageList(m_list, m_images, LVSIL_SMALL);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = 300;
    column.pszText = const_cast<wchar_t*>(L"Txt");
    SendMessageW(m_list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
    Pump();
}

ListHost::~ListHost()
{
    m_displayInfo = nullptr;
    if (m_control.m_hWnd)
        m_control.UnsubclassWindow();
    if (m_window)
        DestroyWindow(m_window);
    if (m_images)
        ImageList_Destroy(m_images);
    Pump();
}

CListCtrl& ListHost::Control()
{
    if (!m_control.m_hWnd && m_list)
        m_control.SubclassWindow(m_list);
    return m_control;
}

void ListHost::SelectAll()
{
    ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void ListHost::Hide()
{
    ShowWindow(m_window, SW_HIDE);
    Pump();
}

void ListHost::Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
