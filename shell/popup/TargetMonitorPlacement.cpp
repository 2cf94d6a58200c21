#include "shell/popup/TargetMonitorPlacement.h"

#include <algorithm>

#include "framework/Dpi.h"

namespace {

// `start` moved so that `length` fits between `low` and `high`; at `low` when it cannot.
LONG Within(LONG start, LONG length, LONG low, LONG high)
{
    return std::max(low, std::min(start, high - length));
}

}  // namespace

RECT TargetMonitorPlacement::Carry(const RECT& rect, const Monitor& from, const Monitor& to)
{
    const LONG width = dpi::Rescale(rect.right - rect.left, from.dpi, to.dpi);
    const LONG height = dpi::Rescale(rect.bottom - rect.top, from.dpi, to.dpi);
    const LONG left = Within(to.work.left + dpi::Rescale(rect.left - from.work.left, from.dpi, to.dpi), width,
                             to.work.left, to.work.right);
    const LONG top = Within(to.work.top + dpi::Rescale(rect.top - from.work.top, from.dpi, to.dpi), height,
                            to.work.top, to.work.bottom);
    return RECT{left, top, left + width, top + height};
}

TargetMonitorPlacement::Monitor TargetMonitorPlacement::MonitorOf(HMONITOR monitor)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    return {info.rcWork, dpi::OfMonitorAt(POINT{info.rcWork.left, info.rcWork.top})};
}

void TargetMonitorPlacement::Follow(HWND popup, HWND target)
{
    RECT now = {};
    GetWindowRect(popup, &now);
    // A popup the user moved since it was carried has its home where it stands now.
    if (!m_carried || !EqualRect(&now, &m_carriedTo))
        m_home = now;
    const HMONITOR homeMonitor = MonitorFromRect(&m_home, MONITOR_DEFAULTTONEAREST);
    const HMONITOR targetMonitor = MonitorFromWindow(GetAncestor(target, GA_ROOT), MONITOR_DEFAULTTONULL);
    if (!targetMonitor || targetMonitor == homeMonitor) {
        if (m_carried)
            MoveTo(popup, m_home);
        m_carried = false;
        return;
    }
    m_carriedTo = Carry(m_home, MonitorOf(homeMonitor), MonitorOf(targetMonitor));
    MoveTo(popup, m_carriedTo);
    m_carried = true;
}

RECT TargetMonitorPlacement::Home(HWND popup) const
{
    RECT now = {};
    GetWindowRect(popup, &now);
    return m_carried && EqualRect(&now, &m_carriedTo) ? m_home : now;
}

void TargetMonitorPlacement::MoveTo(HWND popup, const RECT& rect)
{
    m_placing = 1;
    SetWindowPos(popup, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    m_placing = 0;
    // The move itself may have changed the popup's DPI and so its size by a pixel.
    GetWindowRect(popup, &m_carriedTo);
}
