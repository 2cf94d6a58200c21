#pragma once
#include <windows.h>

#include "shell/popup/ScreenLayout.h"

// Keeps the popup on the monitor of the window it pastes into. The place the
// user gave the popup is its home; summoned for a window on another monitor,
// the popup takes the same place relative to that monitor (scaled for its
// DPI), and the home stays where it was, for the settings file and for the
// next summons on the home monitor. A home or place that a change of the
// displays left on no monitor comes to the nearest work area.
class TargetMonitorPlacement {
public:
    using Monitor = ScreenLayout::Monitor;
    // `rect`'s place relative to `from`, carried to `to`: offset and size
    // scaled by the DPIs, then moved (not shrunk) to lie inside `to` where it can.
    static RECT Carry(const RECT& rect, const Monitor& from, const Monitor& to);

    // `placing` is the popup's flag that its own moves set (its DPI change keeps their size).
    explicit TargetMonitorPlacement(int& placing) : m_placing(placing) {}

    // Before the popup shows for `target`: moves it to the target's monitor or back home.
    void Follow(HWND popup, HWND target);
    // A monitor was removed, moved or changed (WM_DISPLAYCHANGE), or a taskbar moved.
    void OnDisplayChange(HWND popup);
    // Where the user put the popup, on some monitor: its home when it stands carried, else where it is.
    RECT Home(HWND popup) const;

private:
    static Monitor MonitorOf(HMONITOR monitor);
    bool StandsCarried(HWND popup) const;
    void MoveTo(HWND popup, const RECT& rect);

    int& m_placing;
    bool m_carried = false;
    RECT m_home = {};
    RECT m_carriedTo = {};
};
