#pragma once
#include <windows.h>

// The DPI of windows and monitors, and sizes carried from one DPI to another.
// The per-monitor calls are looked up at run time: Windows 7 and 8 lack them,
// and there every monitor has the system's DPI.
namespace dpi {

// The DPI that sizes given in plain pixels were made for.
constexpr UINT kBase = 96;

// `value`, in pixels at 96 DPI, in pixels at `dpi` (rounded to the nearest).
int Scale(int value, UINT dpi);
// `value`, in pixels at DPI `from`, in pixels at DPI `to`.
int Rescale(int value, UINT from, UINT to);

UINT OfSystem();
UINT OfWindow(HWND window);
// The DPI of the monitor nearest to `point` (screen pixels).
UINT OfMonitorAt(POINT point);

// The dialog's own code answers its DPI changes: the dialog manager neither
// suggests a size from its font nor moves and refonts its controls.
void TakeOverDialogScaling(HWND dialog);

}  // namespace dpi
