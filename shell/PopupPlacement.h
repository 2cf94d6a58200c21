#pragma once
#include <windows.h>

// Where the popup opens: the stored rectangle, unless it would put the popup
// out of sight, in which case the default one.
namespace PopupPlacement {

RECT DefaultRect();
// `onSomeMonitor` says whether the stored rectangle touches any monitor.
RECT Choose(const RECT& stored, bool onSomeMonitor);
bool IsOnSomeMonitor(const RECT& rect);

}  // namespace PopupPlacement
