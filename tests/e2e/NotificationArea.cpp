#include "tests/e2e/NotificationArea.h"

#include "tests/e2e/RemoteMemory.h"
#include "tests/e2e/UnixCommand.h"
#include "tests/e2e/WindowQueries.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace e2e {

namespace {

constexpr UINT kAnswerMilliseconds = 5000;
// TTM_ENUMTOOLS copies at most this many characters of a tool's text.
constexpr size_t kTipCapacity = INFOTIPSIZE + 1;

struct Tool {
    HWND window = nullptr;
    RECT rect = {};
    std::wstring text;
};

std::vector<Tool> ToolsOf(HWND tooltip)
{
    std::vector<Tool> tools;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &count))
        return tools;
    DWORD processId = 0;
    GetWindowThreadProcessId(tooltip, &processId);
    const size_t textOffset = sizeof(TTTOOLINFOW);
    RemoteMemory remote(processId, textOffset + kTipCapacity * sizeof(wchar_t));
    if (!remote)
        return tools;
    for (DWORD_PTR index = 0; index < count; ++index) {
        TTTOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.lpszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + textOffset);
        const wchar_t none = L'\0';
        DWORD_PTR found = 0;
        if (!remote.Write(0, &info, sizeof(info)) || !remote.Write(textOffset, &none, sizeof(none))
            || !SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(remote.Address()),
                                    SMTO_ABORTIFHUNG, kAnswerMilliseconds, &found)
            || !found)
            continue;
        std::vector<wchar_t> text(kTipCapacity, L'\0');
        if (!remote.Read(0, &info, sizeof(info))
            || !remote.Read(textOffset, text.data(), text.size() * sizeof(wchar_t)))
            continue;
        text.back() = L'\0';
        tools.push_back(Tool{info.hwnd, info.rect, text.data()});
    }
    return tools;
}

}  // namespace

std::vector<std::wstring> ShownBalloonTexts()
{
    std::vector<std::wstring> texts;
    for (HWND tray : FindTopLevelWindows(0, L"Shell_TrayWnd", nullptr)) {
        DWORD shell = 0;
        GetWindowThreadProcessId(tray, &shell);
        for (HWND tooltip : FindTopLevelWindows(shell, TOOLTIPS_CLASSW, nullptr)) {
            if (!IsWindowVisible(tooltip) || !(GetWindowLongPtrW(tooltip, GWL_STYLE) & TTS_BALLOON))
                continue;
            for (const Tool& tool : ToolsOf(tooltip))
                texts.push_back(tool.text);
        }
    }
    return texts;
}

std::optional<RECT> FindNotificationIcon(const std::wstring& tip)
{
    std::optional<RECT> newest;
    for (HWND tray : FindTopLevelWindows(0, L"Shell_TrayWnd", nullptr)) {
        for (HWND tooltip : FindTopLevelWindows(0, TOOLTIPS_CLASSW, nullptr)) {
            if (GetWindow(tooltip, GW_OWNER) != tray)
                continue;
            for (Tool& tool : ToolsOf(tooltip)) {
                if (tool.text != tip || IsRectEmpty(&tool.rect))
                    continue;
                // Without TTF_IDISHWND the rectangle is in the client area of the tool's window.
                MapWindowPoints(tool.window ? tool.window : tray, HWND_DESKTOP, reinterpret_cast<POINT*>(&tool.rect),
                                2);
                if (!newest || tool.rect.left < newest->left)
                    newest = tool.rect;
            }
        }
    }
    return newest;
}

::testing::AssertionResult RightClickAt(POINT point)
{
    const std::vector<std::string> command = {
        "xdotool", "mousemove", std::to_string(point.x), std::to_string(point.y), "click", "3"};
    const UnixCommandResult result = RunUnixCommand(command);
    if (result.finished && result.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(command, result);
}

POINT CenterOf(const RECT& rect)
{
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace e2e
