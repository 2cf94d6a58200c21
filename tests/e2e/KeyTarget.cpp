#include "tests/e2e/KeyTarget.h"

#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"

namespace e2e {

namespace {

constexpr UINT kReadKeysDown = WM_APP + 1;
constexpr int kDropDownId = 2;
constexpr UINT_PTR kFocusTimer = 1;
const wchar_t kKeyFieldClass[] = L"QuillaryE2eKeyField";

std::wstring KeyName(WPARAM key)
{
    switch (key) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return L"Shift";
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return L"Ctrl";
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return L"Alt";
    case VK_LWIN:
    case VK_RWIN:
        return L"Win";
    case VK_INSERT:
        return L"Insert";
    case VK_RETURN:
        return L"Enter";
    default:
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
            return std::wstring(1, static_cast<wchar_t>(key));
        return L"#" + std::to_wstring(key);
    }
}

bool IsModifier(WPARAM key)
{
    const std::wstring name = KeyName(key);
    return name == L"Shift" || name == L"Ctrl" || name == L"Alt" || name == L"Win";
}

// The key with the modifiers that its thread sees down with it: "Ctrl+Shift+V".
std::wstring WithModifiers(WPARAM key)
{
    std::wstring combination;
    if (GetKeyState(VK_CONTROL) & 0x8000)
        combination += L"Ctrl+";
    if (GetKeyState(VK_SHIFT) & 0x8000)
        combination += L"Shift+";
    if (GetKeyState(VK_MENU) & 0x8000)
        combination += L"Alt+";
    if ((GetKeyState(VK_LWIN) | GetKeyState(VK_RWIN)) & 0x8000)
        combination += L"Win+";
    return combination + KeyName(key);
}

std::wstring ClipboardText(HWND window)
{
    // The program that pastes may still hold the clipboard for a moment.
    if (!WaitUntil([window] { return OpenClipboard(window) != FALSE; }))
        return L"(clipboard busy)";
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

}  // namespace

KeyTarget::KeyTarget()
    : m_window(L"Key target", true, [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
          return OnMessage(window, message, wParam, lParam);
      })
{
}

HWND KeyTarget::DropDownEdit() const
{
    return FindWindowExW(m_dropDown, nullptr, L"Edit", nullptr);
}

bool KeyTarget::Activate(HWND control)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_pastes.clear();
        m_keys.clear();
    }
    // Wine's desktop may hand the foreground on to a window that hid a moment before: the
    // target is in front once it stays there.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SetForegroundWindow(Handle());
        const bool inFront = WaitUntil([&] {
            return GetForegroundWindow() == Handle() && (FocusInThreadOf(control) == control || GiveFocus(control));
        });
        if (inFront && !WaitUntil([&] { return GetForegroundWindow() != Handle(); }, std::chrono::milliseconds(300)))
            return true;
    }
    return false;
}

std::vector<KeyTarget::Paste> KeyTarget::Pastes() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_pastes;
}

std::vector<std::wstring> KeyTarget::Keys() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_keys;
}

std::vector<std::wstring> KeyTarget::KeysDown()
{
    if (!SendMessageTimeoutW(Handle(), kReadKeysDown, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr))
        return {L"(no answer)"};
    std::lock_guard<std::mutex> hold(m_lock);
    return m_down;
}

bool KeyTarget::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CREATE: {
        WNDCLASSW fieldClass = {};
        fieldClass.lpfnWndProc = KeyFieldProc;
        fieldClass.hInstance = GetModuleHandleW(nullptr);
        fieldClass.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        fieldClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        fieldClass.lpszClassName = kKeyFieldClass;
        RegisterClassW(&fieldClass);
        m_keyField = CreateWindowExW(WS_EX_CLIENTEDGE, kKeyFieldClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                                     10, 280, 40, window, nullptr, GetModuleHandleW(nullptr), this);
        m_dropDown = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 10, 60,
                                     280, 120, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDropDownId)),
                                     GetModuleHandleW(nullptr), nullptr);
        SetTimer(window, kFocusTimer, 20, nullptr);
        return false;
    }
    case WM_COMMAND:
        // Windows' drop-down boxes select their whole text when they get the focus back.
        if (LOWORD(wParam) == kDropDownId && HIWORD(wParam) == CBN_SETFOCUS)
            SendMessageW(m_dropDown, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return false;
    case WM_TIMER:
        // Windows takes the focus from a program that loses the foreground and gives it back
        // when the program is in front again; Wine leaves it where it was. Done here as Windows
        // does it, so that the box sees the focus come back.
        if (wParam == kFocusTimer && GetForegroundWindow() != window && GetFocus())
            SetFocus(nullptr);
        return wParam == kFocusTimer;
    case kReadKeysDown: {
        BYTE state[256] = {};
        GetKeyboardState(state);
        std::vector<std::wstring> down;
        // From Backspace on: the mouse buttons are not keys.
        for (int key = VK_BACK; key < 256; ++key) {
            if ((state[key] & 0x80) && key != VK_CAPITAL && key != VK_NUMLOCK && key != VK_SCROLL)
                down.push_back(KeyName(static_cast<WPARAM>(key)));
        }
        std::lock_guard<std::mutex> hold(m_lock);
        m_down = down;
        return true;
    }
    default:
        return false;
    }
}

LRESULT CALLBACK KeyTarget::KeyFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<KeyTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (self)
            self->OnKey(window, message, wParam);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void KeyTarget::OnKey(HWND window, UINT message, WPARAM key)
{
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const std::wstring keys = down && !IsModifier(key) ? WithModifiers(key) : KeyName(key);
    std::wstring text;
    const bool paste = down && (key == 'V' || key == VK_INSERT) && keys != KeyName(key);
    if (paste)
        text = ClipboardText(window);
    std::lock_guard<std::mutex> hold(m_lock);
    m_keys.push_back((down ? L"down " : L"up ") + keys);
    if (paste)
        m_pastes.push_back({keys, text});
}

}  // namespace e2e
