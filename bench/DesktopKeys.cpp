#include "bench/DesktopKeys.h"

#include <vector>

#include "bench/Stopwatch.h"

namespace desktop {

bool PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs(keys.size() * 2);
    size_t index = 0;
    for (WORD key : keys) {
        INPUT& down = inputs[index];
        INPUT& up = inputs[inputs.size() - 1 - index];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        ++index;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool WaitFor(double timeoutMs, const std::function<bool()>& condition)
{
    const Stopwatch wait;
    while (!condition()) {
        if (wait.ElapsedMs() > timeoutMs)
            return false;
        Sleep(1);
    }
    return true;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

}  // namespace desktop
