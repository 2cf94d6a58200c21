#include "history/store/journal/RetrySchedule.h"

#include <algorithm>

void RetrySchedule::Waiting(Clock::time_point now)
{
    if (m_due != Clock::time_point::max())
        return;
    if (m_pause == Clock::duration::zero()) {
        m_pause = kFirstPause;
        m_atChange = true;
    } else {
        m_pause = std::min<Clock::duration>(m_pause * 2, kLongestPause);
    }
    m_due = now + m_pause;
}

void RetrySchedule::Clear()
{
    m_pause = Clock::duration::zero();
    m_due = Clock::time_point::max();
    m_atChange = false;
}

void RetrySchedule::Started()
{
    m_due = Clock::time_point::max();
    m_atChange = false;
}

bool RetrySchedule::DueAtChange(Clock::time_point now) const
{
    return m_due != Clock::time_point::max() && (m_atChange || now >= m_due);
}
