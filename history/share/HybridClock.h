#pragma once
#include <cstdint>
#include <functional>

#include "history/share/ShareOp.h"

// Stamps for this PC's changes. A stamp is later than every stamp this PC made
// or saw before, even when the wall clock is behind another PC's or goes back,
// and stays as close to the wall clock as that allows.
class HybridClock {
public:
    // Wall-clock milliseconds (UTC since 1601); tests give their own.
    using WallClock = std::function<std::uint64_t()>;

    explicit HybridClock(ShareId pc, WallClock wall = nullptr);

    const ShareId& Pc() const { return m_pc; }
    Stamp Next();
    // A stamp made elsewhere: what comes next here is later.
    void Observe(const Stamp& seen);

    static std::uint64_t SystemMilliseconds();

private:
    ShareId m_pc;
    WallClock m_wall;
    std::uint64_t m_time = 0;
    std::uint32_t m_count = 0;
};
