#pragma once
#include <windows.h>

// Where the popup opens: the stored rectangle, in the pixels of the monitor it
// was stored on, unless there is none or it would put the popup out of sight;
// then the default one, grown with the DPI of the monitor it opens on.
namespace PopupPlacement {

// The default rectangle at `dpi`: 10, 10, 200, 300 at 96 DPI.
RECT DefaultRect(UINT dpi);
// `haveStored`: a settings file gave the rectangle. `onSomeMonitor`: it touches a monitor.
RECT Choose(const RECT& stored, bool haveStored, bool onSomeMonitor, UINT defaultDpi);
bool IsOnSomeMonitor(const RECT& rect);
// The DPI of the monitor that the default rectangle opens on.
UINT DefaultDpi();

}  // namespace PopupPlacement
