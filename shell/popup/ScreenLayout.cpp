#include "shell/popup/ScreenLayout.h"

#include <algorithm>

#include "framework/Dpi.h"

namespace {

constexpr int kVisibleAt96 = 32;

// How far apart two ranges lie; 0 when they meet.
LONG Gap(LONG start, LONG end, LONG low, LONG high)
{
    return std::max<LONG>(0, std::max(low - end, start - high));
}

LONG Overlap(LONG start, LONG end, LONG low, LONG high)
{
    return std::max<LONG>(0, std::min(end, high) - std::max(start, low));
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info))
        return TRUE;
    auto& monitors = *reinterpret_cast<std::vector<ScreenLayout::Monitor>*>(data);
    const ScreenLayout::Monitor found = {info.rcWork, dpi::OfMonitorAt(POINT{info.rcWork.left, info.rcWork.top})};
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        monitors.insert(monitors.begin(), found);
    else
        monitors.push_back(found);
    return TRUE;
}

}  // namespace

ScreenLayout ScreenLayout::Current()
{
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        RECT work = {};
        if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
            monitors.push_back({work, dpi::OfSystem()});
    }
    return ScreenLayout(std::move(monitors));
}

LONG ScreenLayout::Within(LONG start, LONG length, LONG low, LONG high)
{
    return std::max(low, std::min(start, high - length));
}

ScreenLayout::Monitor ScreenLayout::Primary() const
{
    return m_monitors.empty() ? Monitor{{0, 0, 1024, 768}, dpi::kBase} : m_monitors.front();
}

bool ScreenLayout::Shows(const RECT& rect) const
{
    if (m_monitors.empty())
        return true;
    for (const Monitor& monitor : m_monitors) {
        const RECT& work = monitor.work;
        const LONG least = dpi::Scale(kVisibleAt96, monitor.dpi);
        const LONG across = Overlap(rect.left, rect.right, work.left, work.right);
        const LONG down = Overlap(rect.top, rect.bottom, work.top, work.bottom);
        if (across >= std::min(least, rect.right - rect.left) && down >= std::min(least, rect.bottom - rect.top) &&
            across > 0 && down > 0)
            return true;
    }
    return false;
}

RECT ScreenLayout::KeepShown(const RECT& rect) const
{
    if (Shows(rect))
        return rect;
    const Monitor* nearest = nullptr;
    double nearestDistance = 0;
    for (const Monitor& monitor : m_monitors) {
        const double dx = Gap(rect.left, rect.right, monitor.work.left, monitor.work.right);
        const double dy = Gap(rect.top, rect.bottom, monitor.work.top, monitor.work.bottom);
        const double distance = dx * dx + dy * dy;
        if (!nearest || distance < nearestDistance) {
            nearest = &monitor;
            nearestDistance = distance;
        }
    }
    const RECT work = nearest->work;
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    const LONG left = Within(rect.left, width, work.left, work.right);
    const LONG top = Within(rect.top, height, work.top, work.bottom);
    return RECT{left, top, left + width, top + height};
}
