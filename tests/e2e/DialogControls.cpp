#include "tests/e2e/DialogControls.h"

#include "tests/e2e/WindowQueries.h"

#include <vector>

namespace e2e {

namespace {

constexpr UINT kAnswerMilliseconds = 5000;

struct ChildSearch {
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM parameter)
{
    ChildSearch& search = *reinterpret_cast<ChildSearch*>(parameter);
    if (ControlText(child) != *search.text)
        return TRUE;
    search.found = child;
    return FALSE;
}

}  // namespace

HWND WaitForDialog(DWORD processId, const wchar_t* title, std::chrono::milliseconds timeout)
{
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : FindTopLevelWindows(processId, L"#32770", title)) {
                if (IsWindowVisible(window)) {
                    dialog = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return dialog;
}

bool WaitUntilGone(HWND window, std::chrono::milliseconds timeout)
{
    return WaitUntil([&] { return !IsWindow(window); }, timeout);
}

std::wstring ControlText(HWND control)
{
    DWORD_PTR length = 0;
    if (!control
        || !SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &length))
        return {};
    std::vector<wchar_t> text(length + 1);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kAnswerMilliseconds, &copied))
        return {};
    return std::wstring(text.data(), copied);
}

bool SetControlText(HWND control, const std::wstring& text)
{
    DWORD_PTR result = 0;
    return control
           && SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                  kAnswerMilliseconds, &result)
           && result != 0;
}

int CheckState(HWND button)
{
    DWORD_PTR state = 0;
    if (!button || !SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &state))
        return -1;
    return static_cast<int>(state);
}

bool ClickButton(HWND button)
{
    DWORD_PTR result = 0;
    return button && SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &result);
}

bool PostClick(HWND button)
{
    return button && PostMessageW(button, BM_CLICK, 0, 0);
}

HWND WaitForMessageBox(DWORD processId, HWND owner, std::chrono::milliseconds timeout)
{
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : FindTopLevelWindows(processId, L"#32770", nullptr)) {
                if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == owner) {
                    box = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return box;
}

std::wstring MessageBoxText(HWND box)
{
    // The message is the static control 0xFFFF, on Windows and under Wine alike.
    return ControlText(GetDlgItem(box, 0xFFFF));
}

bool SendCommand(HWND window, WORD id)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &result)
           != 0;
}

bool Settle(HWND window, std::chrono::milliseconds timeout)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(timeout.count()), &result)
           != 0;
}

HWND FindChildWithText(HWND parent, const std::wstring& text)
{
    ChildSearch search{&text, nullptr};
    EnumChildWindows(parent, CheckChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace e2e
