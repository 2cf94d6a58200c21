#pragma once
#include <windows.h>

#include <vector>

// The monitors as the popup's placement sees them: each one's work area (the
// screen less the taskbar) and DPI, the primary monitor first. Plain data, so
// that where the popup goes is a function of the layout alone.
class ScreenLayout {
public:
    struct Monitor {
        RECT work;
        UINT dpi;
    };

    explicit ScreenLayout(std::vector<Monitor> monitors) : m_monitors(std::move(monitors)) {}
    // The monitors attached now.
    static ScreenLayout Current();

    // The primary monitor; a 96-DPI screen at the origin when the layout is empty.
    Monitor Primary() const;
    // True when enough of `rect` lies in one work area to be seen and taken hold of:
    // 32 pixels each way at 96 DPI (scaled for that monitor), or all of it when smaller.
    bool Shows(const RECT& rect) const;
    // `rect` where it is when shown; otherwise moved, not resized, into the work area
    // nearest to it, as far in as its size allows.
    RECT KeepShown(const RECT& rect) const;

    // `start` moved so that `length` fits between `low` and `high`; at `low` when it cannot.
    static LONG Within(LONG start, LONG length, LONG low, LONG high);

private:
    std::vector<Monitor> m_monitors;
};
