#include "history/share/HybridClock.h"

#include "history/model/HistoryEntry.h"

HybridClock::HybridClock(ShareId pc, WallClock wall) : m_pc(pc), m_wall(std::move(wall))
{
    if (!m_wall)
        m_wall = SystemMilliseconds;
}

std::uint64_t HybridClock::SystemMilliseconds()
{
    return UtcNow() / 10000;
}

Stamp HybridClock::Next()
{
    const std::uint64_t wall = m_wall();
    if (wall > m_time) {
        m_time = wall;
        m_count = 0;
    } else {
        ++m_count;
    }
    return {m_time, m_count, m_pc};
}

void HybridClock::Observe(const Stamp& seen)
{
    if (seen.time > m_time || (seen.time == m_time && seen.count > m_count)) {
        m_time = seen.time;
        m_count = seen.count;
    }
}
