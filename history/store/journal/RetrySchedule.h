#pragma once
#include <chrono>

// When to try again what could not be written: at the next change, then after
// pauses that double up to a minute, so that a save that cannot finish never
// slows the journal and is still tried at least once a minute.
class RetrySchedule {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kFirstPause{1};
    static constexpr std::chrono::seconds kLongestPause{60};

    // Something waits to be tried again, as of `now`; a retry already planned stands.
    void Waiting(Clock::time_point now);
    // Nothing waits any more: the next failure starts the schedule afresh.
    void Clear();
    // A retry begins: should it fail, the next pause is longer.
    void Started();

    // When the next retry is due; max() when none is planned.
    Clock::time_point Due() const { return m_due; }
    // Whether a change that comes at `now` brings the retry.
    bool DueAtChange(Clock::time_point now) const;

private:
    Clock::duration m_pause = Clock::duration::zero();
    Clock::time_point m_due = Clock::time_point::max();
    bool m_atChange = false;
};
