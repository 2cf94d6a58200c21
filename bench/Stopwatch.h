#pragma once
#include <windows.h>

// Milliseconds from the performance counter. Under Wine the counter is the
// host's monotonic clock, so readings of different processes compare.
class Stopwatch {
public:
    Stopwatch() { Restart(); }
    void Restart() { m_start = Now(); }
    double ElapsedMs() const { return ToMs(Now() - m_start); }

    static LONGLONG Now();
    static double ToMs(LONGLONG ticks);

private:
    LONGLONG m_start = 0;
};
