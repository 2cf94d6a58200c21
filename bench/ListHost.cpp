#include "bench/ListHost.h"

#include <commctrl.h>

namespace {

const wchar_t kHostClass[] = L"QuillaryBenchListHost";

void RegisterHostClass()
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kHostClass;
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

ListHost::ListHost()
{
    RegisterHostClass();
    // The popup's default rectangle: 10, 10, 200, 300.
    m_window = CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"Quillary bench list", WS_POPUP | WS_CAPTION | WS_THICKFRAME,
                               10, 10, 190, 290, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_window)
        return;
    RECT client;
    GetClientRect(m_window, &client);
    m_list = CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT, 0, 0,
                             client.right, client.bottom - 20, m_window, reinterpret_cast<HMENU>(1005),
                             GetModuleHandleW(nullptr), nullptr);
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

void ListHost::Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
