#include "tests/e2e/Keyboard.h"

#include "tests/e2e/UnixCommand.h"
#include "tests/e2e/Wait.h"

#include <windows.h>

#include <sstream>
#include <string>

namespace e2e {

namespace {

// The X window that Wine made for a top-level window, or 0.
ULONG_PTR XWindowOf(HWND window)
{
    return window ? reinterpret_cast<ULONG_PTR>(GetPropW(window, L"__wine_x11_whole_window")) : 0;
}

// xdotool with the X keyboard focus first put on the foreground window. Without a window manager
// Wine moves the X keyboard focus itself when a window comes to the front, and now and then the
// move does not happen (seen: the popup in front, the X focus still on notepad), so the keys reach
// the window that had the focus before. The X focus is put where the system's foreground is, as a
// window manager would.
std::vector<std::string> XdotoolAtForeground()
{
    std::vector<std::string> command = {"xdotool"};
    if (const ULONG_PTR xWindow = XWindowOf(GetForegroundWindow()))
        command.insert(command.end(), {"windowfocus", std::to_string(xWindow)});
    return command;
}

void AddKeys(std::vector<std::string>& command, const std::string& keys)
{
    command.push_back("key");
    std::istringstream combinations(keys);
    for (std::string combination; combinations >> combination;)
        command.push_back(combination);
}

}  // namespace

::testing::AssertionResult PressKeys(const std::string& keys)
{
    std::vector<std::string> command = XdotoolAtForeground();
    AddKeys(command, keys);
    const UnixCommandResult result = RunUnixCommand(command);
    if (result.finished && result.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(command, result);
}

::testing::AssertionResult PressKeysHolding(const std::string& held, const std::string& keys,
                                            std::chrono::milliseconds holdFor)
{
    std::vector<std::string> command = XdotoolAtForeground();
    command.insert(command.end(), {"keydown", held});
    AddKeys(command, keys);
    command.insert(command.end(), {"sleep", std::to_string(holdFor.count() / 1000.0), "keyup", held});
    const UnixCommandResult result = RunUnixCommand(command);
    if (result.finished && result.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(command, result);
}

::testing::AssertionResult PressKeysUntil(const std::string& keys, const std::function<bool()>& done,
                                          const std::function<bool()>& untouched)
{
    if (auto pressed = PressKeys(keys); !pressed)
        return pressed;
    if (!WaitUntil(done, std::chrono::milliseconds(1500)) && untouched()) {
        if (auto again = PressKeys(keys); !again)
            return again;
    }
    if (!WaitUntil(done))
        return ::testing::AssertionFailure() << keys << " did not take effect";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PressKeysAndWaitDelivered(const std::string& keys)
{
    constexpr int kFenceId = 0x7E2E;
    if (!RegisterHotKey(nullptr, kFenceId, MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_NOREPEAT, VK_F12))
        return ::testing::AssertionFailure() << "cannot register Ctrl+Alt+Shift+F12, error " << GetLastError();
    ::testing::AssertionResult pressed = PressKeys(keys + " ctrl+alt+shift+F12");
    MSG msg;
    const bool delivered = pressed && WaitUntil([&] {
        return PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_HOTKEY, WM_HOTKEY, PM_REMOVE)
               && msg.wParam == kFenceId;
    });
    UnregisterHotKey(nullptr, kFenceId);
    if (!pressed)
        return pressed;
    if (!delivered)
        return ::testing::AssertionFailure() << "Ctrl+Alt+Shift+F12 after " << keys << " never arrived";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TypeToForeground(const std::vector<WORD>& keys)
{
    std::vector<INPUT> inputs(keys.size() * 2);
    for (size_t index = 0; index < keys.size(); ++index) {
        INPUT& down = inputs[index];
        INPUT& up = inputs[inputs.size() - 1 - index];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = keys[index];
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size())
        return ::testing::AssertionFailure() << "SendInput took " << sent << " of " << inputs.size()
                                             << " key events, error " << GetLastError();
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
