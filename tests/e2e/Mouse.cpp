#include "tests/e2e/Mouse.h"

#include "tests/e2e/UnixCommand.h"
#include "tests/e2e/WindowQueries.h"

#include <string>
#include <vector>

namespace e2e {

::testing::AssertionResult ClickAt(POINT point, int button)
{
    const std::vector<std::string> command = {
        "xdotool", "mousemove", std::to_string(point.x), std::to_string(point.y), "click", std::to_string(button)};
    const UnixCommandResult result = RunUnixCommand(command);
    if (result.finished && result.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(command, result);
}

std::optional<POINT> FindHitTestArea(HWND window, LRESULT area)
{
    constexpr int kStep = 2;
    const RECT rect = WindowRect(window);
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    long long sumX = 0;
    long long sumY = 0;
    long long hits = 0;
    for (int y = rect.top; y < rect.bottom; y += kStep) {
        for (int x = rect.left; x < rect.right; x += kStep) {
            // The areas sought are parts of the frame; asking inside the client area costs seconds.
            if (area != HTCLIENT && PtInRect(&client, POINT{x, y}))
                continue;
            DWORD_PTR hit = HTNOWHERE;
            if (!SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit))
                return std::nullopt;
            if (static_cast<LRESULT>(hit) == area) {
                sumX += x;
                sumY += y;
                ++hits;
            }
        }
    }
    if (hits == 0)
        return std::nullopt;
    return POINT{static_cast<LONG>(sumX / hits), static_cast<LONG>(sumY / hits)};
}

}  // namespace e2e
