#include "shell/popup/ClipDlg.h"

#include "framework/AccessibleFacts.h"
#include "framework/CDataExchange.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "history/store/formats/BitmapFileWriter.h"
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

#include <oleacc.h>

CClipDlg::CClipDlg()
    : CDialog(IDD_QUILLARY_DIALOG),
      m_listView(m_list, m_history),
      m_capture(m_history, *this),
      m_paste({m_hPasteTarget, *this, m_hWnd}, [this](HWND window) { RestoreTargetFocus(window); }),
      m_durable(m_history, *this),
      m_share(m_history, *this, m_durable, [this] { return m_capture.Paused(); }),
      m_commands(PopupCommandHandlers{[this] { ShowOptions(); }, [this] { ShowHelp(); }, [this] { ShowAbout(); },
                                      [this] { ExitProgram(); }, [this] { SetSelectedToTop(); },
                                      [this] { PasteSelectedEntries(); }, [this] { PasteSelectedAsPlainText(); },
                                      [this] { DeleteSelectedEntries(); },
                                      [this] { ClearHistory(); }, [this] { TogglePause(); },
                                      [this] { TypeSelectedEntries(); }}),
      m_keyboard({[this] { PasteSelectedEntries(); }, [this] { PasteSelectedAsPlainText(); },
                  [this](int row) { PasteRow(row); }, [this] { HidePopup(); }, [this] { ShowOptions(); },
                  [this](UINT command) { m_commands.Route(MAKEWPARAM(command, 1), 0); },
                  [this] { ContextMenus::ShowListMenuAtSelection(m_list, m_hWnd); },
                  [this] { TypeSelectedEntries(); }}),
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
    // Told when the session is locked (for "Clear the history when Windows is locked").
    m_lockNotices.Start(m_hWnd);

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
    m_dpi.FollowTextScale({m_search.m_hWnd, m_list.m_hWnd, m_btnOptions.m_hWnd});
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
    m_search.SetCue(cue);
    m_keyboard.SetWindows({m_hWnd, m_list.m_hWnd, m_search.m_hWnd, m_btnOptions.m_hWnd});
    MakeAccessible();
    m_preview.SetWindows(m_hWnd, m_list.m_hWnd, m_dpi);
    // A preview of an entry that moved or went would show the wrong row.
    m_history.AddListener([this](const HistoryChange&) { m_preview.Hide(); });

    PrepareDataFolder();
    const bool haveSettings = LoadOptions() != FALSE;
    // Copies are heard from here on, read by the user's rules; they reach the history once it is loaded.
    m_capture.Listen(m_hWnd);
    AddTrayIcon();
    if (m_durable.Folder().perUser)
        ShowTrayBalloon(m_hWnd, notices::kTitle, notices::PerUserFolder(m_durable.Folder().write), false);
    PlacePopup(haveSettings);
    RegisterHotkeys();
    {
        HistoryListView::RedrawHold hold(m_listView);
        LoadHistory();
    }
    m_theme.Attach({m_hWnd, m_list.m_hWnd, &m_search, &m_btnOptions, &m_preview});
    m_durable.Start(m_hWnd, ScreenColorDepth());
    if (m_durable.WaitingToRead())
        ::SetTimer(m_hWnd, kReadAgainTimer, DurableHistory::kReadAgainMs, nullptr);
    if (m_durable.SealedHistoryLost() != DurableHistory::LostKey::None)
        ShowTrayBalloon(m_hWnd, notices::kTitle,
                        notices::HistorySetAside(m_durable.SetAsideFolder(),
                                                 m_durable.SealedHistoryLost() == DurableHistory::LostKey::Missing),
                        true);
    else if (m_durable.EncryptionRefused())
        ShowTrayBalloon(m_hWnd, notices::kTitle, notices::EncryptionUnavailable(), true);
    else if (m_durable.MergedOlderFiles())
        ShowTrayBalloon(m_hWnd, notices::kTitle, notices::OlderFilesMerged(), false);
    ForgetOldEntries();
    ::SetTimer(m_hWnd, kForgetTimer, AgeLimit::kCheckIntervalMs, nullptr);
    m_share.Start(m_hWnd, m_durable.Folder().write);
    m_capture.Deliver();
    return TRUE;
}

void CClipDlg::MakeAccessible()
{
    const auto text = [](UINT id) {
        CString loaded;
        loaded.LoadString(id);
        return std::wstring(loaded.GetString());
    };
    // The button draws "<>"; a screen reader says what it does.
    m_btnOptions.SetAccessibleName(text(IDS_ACCESS_OPTIONS).c_str(), L"Ctrl+O");
    AccessibleFacts button = *m_btnOptions.GetAccessible();
    button.description = text(IDS_ACCESS_OPTIONS_HINT);
    m_btnOptions.SetAccessible(button);
    AccessibleFacts search;
    search.name = text(IDS_ACCESS_SEARCH);
    search.description = text(IDS_ACCESS_SEARCH_HINT);
    m_search.SetAccessible(search);
    AccessibleFacts list;
    list.name = text(IDS_ACCESS_LIST);
    list.role = ROLE_SYSTEM_LIST;
    m_list.SetAccessible(list, &m_rows);
    m_announcer.Create(m_hWnd, m_search.m_hWnd, IDC_SEARCH_NEWS);
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
    m_capture.SetRules(m_strIgnoredPrograms, m_bRecordPictures != 0);
}

void CClipDlg::PlacePopup(bool haveStoredRect)
{
    m_rcWindow = PopupPlacement::Choose(m_rcWindow, haveStoredRect, ScreenLayout::Current());
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
