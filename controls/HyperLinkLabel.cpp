#include "controls/HyperLinkLabel.h"
#include "controls/ControlColours.h"

#include "controls/LabelFitting.h"
#include "controls/LaunchCommand.h"
#include "controls/LaunchErrors.h"

#include <shellapi.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace {

// A module mapped only to read its resources; freed on every path.
using ResourceModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, BOOL(WINAPI*)(HMODULE)>;

std::wstring WindowsFolder()
{
    UINT needed = GetWindowsDirectoryW(nullptr, 0);
    if (needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed);
    UINT length = GetWindowsDirectoryW(buffer.data(), needed);
    return length == 0 || length >= needed ? std::wstring() : std::wstring(buffer.data(), length);
}

// The program's name as a message box caption: the executable's base name.
std::wstring ProgramName()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::wstring name(path.data());
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

// Starts a command line the way WinExec does, for text of any length and
// alphabet: above 31 on success, otherwise a small error code.
int RunCommandLine(std::wstring command, int showCommand)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        DWORD error = GetLastError();
        return error < 32 ? static_cast<int>(error) : ERROR_BAD_FORMAT;
    }
    UniqueFileHandle thread(process.hThread);
    UniqueFileHandle started(process.hProcess);
    return 33;
}

}  // namespace

void CHyperLinkLabel::PreSubclassWindow()
{
    // A static control sends click notifications only with SS_NOTIFY.
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(GetStyle() | SS_NOTIFY));

    if (m_strTarget.IsEmpty())
        m_strTarget = GetWindowText();
    if (GetWindowText().IsEmpty())
        SetWindowText(m_strTarget);

    HFONT font = GetFont();
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    MakeFaces(font);

    FitToText();
    LoadHandCursor();
    SetUnderlineMode(-1);

    // The tool is a plain rectangle: its mouse messages come through PreTranslateMessage.
    if (m_toolTip.Create(this, 0)) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.hwnd = m_hWnd;
        tool.uId = 1;
        tool.lpszText = const_cast<wchar_t*>(m_strTarget.GetString());
        GetClientRect(&tool.rect);
        m_toolTip.SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    UpdateAccessible();

    CStatic::PreSubclassWindow();
}

void CHyperLinkLabel::MakeFaces(HFONT font)
{
    LOGFONTW logFont = {};
    ::GetObjectW(font, sizeof(logFont), &logFont);
    m_fontPlain.CreateFontIndirect(&logFont);
    logFont.lfUnderline = 1;
    m_fontUnderline.CreateFontIndirect(&logFont);
}

LRESULT CHyperLinkLabel::OnSetFont(HFONT font, LPARAM redraw)
{
    // The label's own faces come back here; any other font (the dialog's, made
    // anew when the dialog moved to a monitor of another DPI) replaces them.
    if (!font || font == m_fontPlain.GetHandle() || font == m_fontUnderline.GetHandle())
        return DefWindowProc(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    MakeFaces(font);
    const bool underlined = m_nUnderline == 1 || (m_nUnderline == -1 && m_bHovering);
    const LRESULT result = DefWindowProc(
        WM_SETFONT, reinterpret_cast<WPARAM>(underlined ? m_fontUnderline.GetHandle() : m_fontPlain.GetHandle()),
        redraw);
    FitToText();
    return result;
}

void CHyperLinkLabel::SetTarget(const CString& target)
{
    m_strTarget = target;
    if (!m_hWnd)
        return;
    FitToText();
    m_toolTip.UpdateTipText(m_strTarget, this, 1);
    UpdateAccessible();
}

void CHyperLinkLabel::MarkVisited(BOOL visited)
{
    m_bVisited = visited;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CHyperLinkLabel::SetUnderlineMode(int mode)
{
    if (mode == m_nUnderline)
        return;
    if (m_hWnd) {
        SetFont(mode == 1 ? m_fontUnderline.GetHandle() : m_fontPlain.GetHandle(), TRUE);
        Invalidate(TRUE);
    }
    m_nUnderline = mode;
}

void CHyperLinkLabel::FitToText()
{
    if (!m_hWnd || !m_bFitToText)
        return;
    RECT window;
    GetWindowRect(&window);
    RECT client;
    GetClientRect(&client);
    ClientToScreen(&client);
    if (HWND parent = ::GetParent(m_hWnd)) {
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);
    }

    // Measured with the underlined font, the wider of the two faces the label shows.
    CString caption = GetWindowText();
    SIZE text = {};
    {
        WindowDC dc(m_hWnd);
        if (!dc)
            return;
        ScopedSelect font(dc.Get(), m_fontUnderline.GetSafeHandle());
        ::GetTextExtentPoint32W(dc.Get(), caption, caption.GetLength(), &text);
    }

    RECT fitted = FitLabelRect(window, client, text, GetStyle());
    SetWindowPos(nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
                 SWP_NOZORDER);
}

void CHyperLinkLabel::LoadHandCursor()
{
    if (m_hCursor)
        return;
    std::wstring folder = WindowsFolder();
    if (!folder.empty()) {
        // Mapped as data only: the cursor is all we read, and the file may be of the other bitness.
        ResourceModule help(::LoadLibraryExW((folder + L"\\winhlp32.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
                            &::FreeLibrary);
        if (help) {
            if (HCURSOR cursor = ::LoadCursorW(help.get(), MAKEINTRESOURCEW(106)))
                m_hCursor.Reset(::CopyIcon(cursor));
        }
    }
    // Current systems have no winhlp32.exe with that cursor; they have a standard hand.
    if (!m_hCursor) {
        if (HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND))
            m_hCursor.Reset(::CopyIcon(hand));
    }
}

LONG CHyperLinkLabel::QueryRegDefault(HKEY root, const wchar_t* subkey, std::wstring& value)
{
    value.clear();
    HKEY opened = nullptr;
    LONG status = ::RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &opened);
    if (status != ERROR_SUCCESS)
        return status;
    UniqueRegKey key(opened);

    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0)
        return ERROR_SUCCESS;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS)
        return ERROR_SUCCESS;
    buffer.back() = L'\0';
    value.assign(buffer.data());

    if (type == REG_EXPAND_SZ) {
        DWORD needed = ::ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        if (needed > 0) {
            std::vector<wchar_t> expanded(needed);
            if (::ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed) > 0)
                value.assign(expanded.data());
        }
    }
    return ERROR_SUCCESS;
}

int CHyperLinkLabel::LaunchTarget(const wchar_t* target, int showCommand)
{
    const INT_PTR shellResult =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, showCommand));
    if (static_cast<UINT_PTR>(shellResult) > 32)
        return static_cast<int>(shellResult);

    // The shell could not open it: try the program that opens web pages. An
    // empty class or command counts as missing, so the shell's error is reported.
    std::wstring fileClass;
    if (QueryRegDefault(HKEY_CLASSES_ROOT, L".htm", fileClass) != ERROR_SUCCESS || fileClass.empty())
        return static_cast<int>(shellResult);
    std::wstring registered;
    const std::wstring commandKey = fileClass + L"\\shell\\open\\command";
    if (QueryRegDefault(HKEY_CLASSES_ROOT, commandKey.c_str(), registered) != ERROR_SUCCESS || registered.empty())
        return static_cast<int>(shellResult);
    return RunCommandLine(BuildOpenCommand(registered, target), showCommand);
}

void CHyperLinkLabel::ShowLaunchError(int code)
{
    HWND owner = m_hWnd ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
    ::MessageBoxW(owner, LaunchErrorMessage(code).c_str(), ProgramName().c_str(), MB_ICONEXCLAMATION);
}

bool CHyperLinkLabel::DestroyWindow()
{
    if (m_hWnd)
        KillTimer(m_nTimerId);
    return CStatic::DestroyWindow();
}

BOOL CHyperLinkLabel::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

bool CHyperLinkLabel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (OnKeyMessage(message, wParam, lParam, result))
        return true;
    switch (message) {
    case WM_SETCURSOR:
        // Without a hand cursor nothing else is shown either.
        if (m_hCursor)
            ::SetCursor(m_hCursor.Get());
        result = m_hCursor ? TRUE : FALSE;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return false;
    case WM_TIMER:
        OnTimer();
        return false;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        result = TRUE;
        return true;
    case WM_SETFONT:
        result = OnSetFont(reinterpret_cast<HFONT>(wParam), lParam);
        return true;
    default:
        return CStatic::OnMessage(message, wParam, lParam, result);
    }
}

bool CHyperLinkLabel::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        result = reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam)));
        return true;
    }
    // The click is ours alone: the parent does not see it.
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        OnClicked();
        result = 0;
        return true;
    }
    return CStatic::OnChildNotify(message, wParam, lParam, result);
}

HBRUSH CHyperLinkLabel::OnCtlColor(HDC dc)
{
    const Palette& colours = ControlColours::Current();
    ::SetTextColor(dc, m_bHovering ? colours.linkHover : (m_bVisited ? colours.linkVisited : colours.link));
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CHyperLinkLabel::OnEraseBackground(HDC dc)
{
    RECT client;
    GetClientRect(&client);
    const UniqueBrush face(::CreateSolidBrush(ControlColours::Sys(COLOR_BTNFACE)));
    ::FillRect(dc, &client, face.Get());
}

void CHyperLinkLabel::OnMouseMove()
{
    if (m_bHovering)
        return;
    m_bHovering = TRUE;
    if (m_nUnderline == -1)
        SetFont(m_fontUnderline.GetHandle(), TRUE);
    Invalidate(TRUE);
    SetTimer(m_nTimerId, 100);
}

void CHyperLinkLabel::OnTimer()
{
    const DWORD position = ::GetMessagePos();
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (::PtInRect(&client, point))
        return;
    m_bHovering = FALSE;
    KillTimer(m_nTimerId);
    if (m_nUnderline != 1)
        SetFont(m_fontPlain.GetHandle(), TRUE);
    // A little below the text too, where the underline was drawn.
    client.bottom += 10;
    ::InvalidateRect(m_hWnd, &client, TRUE);
}

void CHyperLinkLabel::OnClicked()
{
    m_bHovering = FALSE;
    const int result = LaunchTarget(m_strTarget, SW_SHOW);
    m_bVisited = result > 32;
    if (m_bVisited) {
        MarkVisited(TRUE);
    } else {
        ::MessageBeep(MB_ICONEXCLAMATION);
        ShowLaunchError(result);
    }
}
