#include "shell/popup/ClipDlg.h"

#include "framework/CDataExchange.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "history/store/BitmapFileWriter.h"
#include "history/store/DataFolder.h"
#include "shell/AppTitle.h"
#include "shell/ContextMenus.h"
#include "shell/ModulePath.h"
#include "shell/Notices.h"
#include "shell/popup/PopupLayout.h"
#include "shell/popup/PopupPlacement.h"
#include "shell/TrayIcon.h"
#include "resource.h"

#include <vector>

CClipDlg::CClipDlg()
    : CDialog(IDD_QUILLARY_DIALOG),
      m_listView(m_list, m_history),
      m_capture(m_history, {m_hNextViewer, m_bReady, m_bSuppressCapture}, {*this, m_ignored}),
      m_paste({m_hPasteTarget, m_bSuppressCapture, *this}, [this](HWND window) { RestoreTargetFocus(window); }),
      m_durable(m_history, *this),
      m_commands(PopupCommandHandlers{[this] { ShowOptions(); }, [this] { ShowHelp(); }, [this] { ShowAbout(); },
                                      [this] { ExitProgram(); }, [this] { SetSelectedToTop(); },
                                      [this] { PasteSelectedEntries(); }, [this] { DeleteSelectedEntries(); },
                                      [this] { ClearHistory(); }}),
      m_keyboard({[this] { PasteSelectedEntries(); }, [this](int row) { PasteRow(row); }, [this] { HidePopup(); },
                  [this] { ShowOptions(); }}),
      m_preview([this](int row) { return row < m_listView.View().Count() ? &m_listView.View().At(row) : nullptr; })
{
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CClipDlg::~CClipDlg() = default;

void CClipDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_BUTTON_OPTIONS, m_btnOptions);
    DDX_Control(dx, IDC_LIST_HISTORY, m_list);
    DDX_Control(dx, IDC_EDIT_SEARCH, m_search);
}

LRESULT CClipDlg::OnCreate(WPARAM wParam, LPARAM lParam)
{
    if (CDialog::DefWindowProc(WM_CREATE, wParam, lParam) == -1)
        return -1;
    m_dpi.BuildIcons(m_hWnd);
    return 0;
}

BOOL CClipDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_capture.SetWindow(m_hWnd);
    m_capture.JoinChain();

    if (HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, ID_SYSMENU_ABOUT, about);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // Measured before the first layout; from here on the popup answers its DPI changes itself.
    m_dpi.TakeMeasures(m_hWnd, m_search.m_hWnd, m_btnOptions.m_hWnd);
    dpi::TakeOverDialogScaling(m_hWnd);
    m_bReady = 1;
    SetWindowText(kSingleInstanceTitle);

    DWORD listStyle = m_list.GetExtendedStyle();
    listStyle &= ~static_cast<DWORD>(LVS_EX_GRIDLINES);
    listStyle |= LVS_EX_FULLROWSELECT | LVS_EX_FLATSB;
    m_list.SetExtendedStyle(listStyle);
    m_list.SetImageList(&m_imageList, LVSIL_SMALL);
    m_list.InsertColumn(0, L"Txt", LVCFMT_LEFT, 300);
    CString cue;
    cue.LoadString(IDS_SEARCH_CUE);
    m_search.SendMessage(EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(cue.GetString()));
    m_keyboard.SetWindows({m_hWnd, m_list.m_hWnd, m_search.m_hWnd, m_btnOptions.m_hWnd});
    m_preview.SetWindows(m_hWnd, m_list.m_hWnd, m_dpi);
    // A preview of an entry that moved or went would show the wrong row.
    m_history.AddListener([this](const HistoryChange&) { m_preview.Hide(); });

    PrepareDataFolder();
    const bool haveSettings = LoadOptions() != FALSE;
    AddTrayIcon();
    if (m_durable.Folder().perUser)
        ShowTrayBalloon(m_hWnd, notices::kTitle, notices::PerUserFolder(m_durable.Folder().write), false);
    PlacePopup(haveSettings);
    RegisterHotkeys();
    {
        HistoryListView::RedrawHold hold(m_listView);
        LoadHistory();
    }
    m_durable.Start(m_hWnd, ScreenColorDepth());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    m_btnOptions.SetStateColor(CImageButton::ActiveFace, face, TRUE);
    m_btnOptions.SetStateColor(CImageButton::RestFace, face, TRUE);
    m_btnOptions.SetStateColor(CImageButton::FocusFace, face, TRUE);
    return TRUE;
}

void CClipDlg::PrepareDataFolder()
{
    m_durable.SetFolder(DataFolder::Choose(ExecutableFolder()));
    m_strDataDir = m_durable.Folder().write.c_str();
}

BOOL CClipDlg::LoadOptions()
{
    const BOOL loaded = m_durable.LoadOptions();
    ApplyOptions();
    return loaded;
}

void CClipDlg::ApplyOptions()
{
    m_history.SetMaxEntries(m_nHistorySize);
    m_ignored.SetList(m_strIgnoredPrograms);
}

void CClipDlg::PlacePopup(bool haveStoredRect)
{
    m_rcWindow = PopupPlacement::Choose(m_rcWindow, haveStoredRect, PopupPlacement::IsOnSomeMonitor(m_rcWindow),
                                        PopupPlacement::DefaultDpi());
    m_bPlacing = 1;
    SetWindowPos(HWND_TOPMOST, m_rcWindow.left, m_rcWindow.top, m_rcWindow.right - m_rcWindow.left,
                 m_rcWindow.bottom - m_rcWindow.top, SWP_SHOWWINDOW);
    m_bPlacing = 0;
}

void CClipDlg::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    m_preview.Hide();
    m_dpi.Change(dpi, m_list, {m_search.m_hWnd, m_list.m_hWnd, m_btnOptions.m_hWnd});
    // A monitor of another DPI reached at start keeps the rectangle asked for:
    // a stored one is in that monitor's pixels already.
    if (!m_bPlacing)
        SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    OnSize();
}

void CClipDlg::RegisterHotkeys()
{
    // Without its hotkey the popup is still one click on the tray icon away; the user is told so.
    const std::vector<CString> taken = m_hotkeys.Register(m_hWnd, m_nSummonHotkey);
    if (!taken.empty())
        ShowTrayBalloon(m_hWnd, notices::kTitle, notices::HotkeysTaken(taken), true);
}

void CClipDlg::UnregisterHotkeys()
{
    m_hotkeys.Unregister();
}

LRESULT CClipDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_nTaskbarCreated && message != 0) {
        AddTrayIcon();
        return 0;
    }
    switch (message) {
    case DurableHistory::kReportsMessage:
        ShowSaveReports();
        return 0;
    case DurableHistory::kFullSaveMessage:
        m_durable.SaveFull();
        return 0;
    case PreviewController::kShowFocusedMessage:
        m_preview.ShowFocused();
        return 0;
    case WM_TIMER:
        if (wParam == PreviewController::kHoverTimer) {
            m_preview.OnHoverTimer();
            return 0;
        }
        break;
    case WM_HOTKEY:
        switch (m_hotkeys.Dispatch(wParam, lParam)) {
        case PopupHotkeys::Action::Pin:
            PinForegroundTop();
            break;
        case PopupHotkeys::Action::Unpin:
            UnpinForegroundTop();
            break;
        case PopupHotkeys::Action::Summon:
            SummonAtFocus();
            break;
        case PopupHotkeys::Action::None:
            break;
        }
        break;
    case WM_TRAYNOTIFY:
        OnTrayNotify(wParam, lParam);
        return 0;
    case WM_CLOSE:
        if (!m_bExiting) {
            ShowWindow(SW_HIDE);
            return 1;
        }
        UnregisterHotkeys();
        // The exit sequence is the one way the popup ends.
        EndDialog(IDCANCEL);
        return 0;
    case WM_ENDSESSION:
        ExitProgram();
        break;
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

LRESULT CClipDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWCLIPBOARD:
        m_capture.OnDrawClipboard(wParam, lParam);
        break;
    case WM_CHANGECBCHAIN:
        m_capture.OnChangeCbChain(wParam, lParam);
        break;
    case WM_DESTROY:
        m_capture.LeaveChain();
        break;
    default:
        break;
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

bool CClipDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_CREATE:
        result = OnCreate(wParam, lParam);
        return true;
    case WM_SYSCOMMAND:
        OnSysCommand(wParam, lParam);
        result = 0;
        return true;
    case WM_PAINT:
        if (!OnPaint())
            return false;
        result = 0;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    case WM_DPICHANGED:
        if (!lParam)
            return false;
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    case WM_SIZE:
        result = CDialog::DefWindowProc(message, wParam, lParam);
        OnSize();
        return true;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
        if (lParam)
            HoldListWhileHidden(message, reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
        return CDialog::OnMessage(message, wParam, lParam, result);
    default:
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

void CClipDlg::HoldListWhileHidden(UINT message, UINT flags)
{
    // Nobody sees a hidden list, and each capture adds a row to it: drawing is
    // held once the popup has gone and resumes before it shows again.
    if (message == WM_WINDOWPOSCHANGED && (flags & SWP_HIDEWINDOW))
        m_preview.Hide();
    if (message == WM_WINDOWPOSCHANGED && (flags & SWP_HIDEWINDOW) && !m_bListHeld) {
        m_listView.HoldDrawing();
        m_bListHeld = 1;
    } else if (message == WM_WINDOWPOSCHANGING && (flags & SWP_SHOWWINDOW) && m_bListHeld) {
        m_listView.ResumeDrawing();
        m_bListHeld = 0;
    }
}

void CClipDlg::OnSysCommand(WPARAM id, LPARAM lParam)
{
    if ((id & 0xFFF0) == ID_SYSMENU_ABOUT) {
        ShowAbout();
        return;
    }
    CDialog::DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

bool CClipDlg::OnPaint()
{
    if (!IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

void CClipDlg::OnSize()
{
    if (!m_list.m_hWnd || !m_btnOptions.m_hWnd || !m_search.m_hWnd || !m_bReady)
        return;
    RECT client;
    GetClientRect(&client);
    const PopupLayout layout = PopupLayout::For({client.right - client.left, client.bottom - client.top},
                                                m_dpi.SearchHeight(), m_dpi.ButtonHeight(), m_dpi.Dpi());
    const auto place = [](CWnd& control, const RECT& rect) {
        control.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    };
    place(m_search, layout.search);
    place(m_list, layout.list);
    m_list.SetColumnWidth(0, static_cast<short>(layout.columnWidth));
    place(m_btnOptions, layout.button);
}

BOOL CClipDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->hwnd == m_list.m_hWnd)
        m_preview.OnListMessage(*msg);
    const bool moved = msg->message == WM_KEYDOWN && (msg->hwnd == m_list.m_hWnd || msg->hwnd == m_search.m_hWnd) &&
                       (msg->wParam == VK_UP || msg->wParam == VK_DOWN || msg->wParam == VK_PRIOR ||
                        msg->wParam == VK_NEXT || msg->wParam == VK_HOME || msg->wParam == VK_END);
    // The list has moved its focus by the time this arrives.
    if (moved)
        PostMessage(PreviewController::kShowFocusedMessage);
    if (m_keyboard.PreTranslate(*msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

bool CClipDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_commands.Route(wParam, lParam))
        return true;
    if (LOWORD(wParam) == IDC_EDIT_SEARCH && HIWORD(wParam) == EN_CHANGE) {
        OnSearchChanged();
        return true;
    }
    // Only the exit sequence ends the popup: the dialog manager's OK and Cancel
    // (Enter on a button, Esc, Ctrl+Break) must not end it unsaved.
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        return true;
    return CDialog::OnCommand(wParam, lParam);
}

bool CClipDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == NM_DBLCLK) {
        PasteSelectedEntries();
        result = 0;
        return true;
    }
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == LVN_GETDISPINFOW) {
        m_listView.FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
        result = 0;
        return true;
    }
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == LVN_ODFINDITEMW) {
        // Typing searches the whole text instead of jumping by first letter.
        result = -1;
        return true;
    }
    if (header && header->idFrom == IDC_LIST_HISTORY && header->code == NM_RCLICK) {
        ContextMenus::OnListRightClick(m_list, m_hWnd);
        result = 0;
        return true;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}
