#include "shell/popup/TargetMonitorPlacement.h"

#include "framework/Dpi.h"

RECT TargetMonitorPlacement::Carry(const RECT& rect, const Monitor& from, const Monitor& to)
{
    const LONG width = dpi::Rescale(rect.right - rect.left, from.dpi, to.dpi);
    const LONG height = dpi::Rescale(rect.bottom - rect.top, from.dpi, to.dpi);
    const LONG left = to.work.left + dpi::Rescale(rect.left - from.work.left, from.dpi, to.dpi);
    const LONG top = to.work.top + dpi::Rescale(rect.top - from.work.top, from.dpi, to.dpi);
    const LONG inLeft = ScreenLayout::Within(left, width, to.work.left, to.work.right);
    const LONG inTop = ScreenLayout::Within(top, height, to.work.top, to.work.bottom);
    return RECT{inLeft, inTop, inLeft + width, inTop + height};
}

TargetMonitorPlacement::Monitor TargetMonitorPlacement::MonitorOf(HMONITOR monitor)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    return {info.rcWork, dpi::OfMonitorAt(POINT{info.rcWork.left, info.rcWork.top})};
}

bool TargetMonitorPlacement::StandsCarried(HWND popup) const
{
    RECT now = {};
    GetWindowRect(popup, &now);
    return m_carried && EqualRect(&now, &m_carriedTo);
}

void TargetMonitorPlacement::Follow(HWND popup, HWND target)
{
    // A popup the user moved since it was carried has its home where it stands now.
    if (!StandsCarried(popup))
        GetWindowRect(popup, &m_home);
    const RECT shown = ScreenLayout::Current().KeepShown(m_home);
    const bool homeMoved = !EqualRect(&shown, &m_home);
    m_home = shown;
    const HMONITOR homeMonitor = MonitorFromRect(&m_home, MONITOR_DEFAULTTONEAREST);
    const HMONITOR targetMonitor = MonitorFromWindow(GetAncestor(target, GA_ROOT), MONITOR_DEFAULTTONULL);
    if (!targetMonitor || targetMonitor == homeMonitor) {
        if (m_carried || homeMoved)
            MoveTo(popup, m_home);
        m_carried = false;
        return;
    }
    m_carriedTo = Carry(m_home, MonitorOf(homeMonitor), MonitorOf(targetMonitor));
    MoveTo(popup, m_carriedTo);
    m_carried = true;
}

void TargetMonitorPlacement::OnDisplayChange(HWND popup)
{
    const ScreenLayout layout = ScreenLayout::Current();
    const bool carried = StandsCarried(popup);
    if (carried)
        m_home = layout.KeepShown(m_home);
    m_carried = carried;
    RECT now = {};
    GetWindowRect(popup, &now);
    const RECT shown = layout.KeepShown(now);
    if (EqualRect(&shown, &now))
        return;
    MoveTo(popup, shown);
}

RECT TargetMonitorPlacement::Home(HWND popup) const
{
    RECT now = {};
    GetWindowRect(popup, &now);
    return ScreenLayout::Current().KeepShown(StandsCarried(popup) ? m_home : now);
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
