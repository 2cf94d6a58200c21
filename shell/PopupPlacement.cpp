#include "shell/PopupPlacement.h"

namespace PopupPlacement {

RECT DefaultRect()
{
    return RECT{10, 10, 200, 300};
}

RECT Choose(const RECT& stored, bool onSomeMonitor)
{
    // An empty or inverted rectangle would make an invisible popup just as surely.
    if (!onSomeMonitor || stored.right <= stored.left || stored.bottom <= stored.top)
        return DefaultRect();
    return stored;
}

bool IsOnSomeMonitor(const RECT& rect)
{
    return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

}  // namespace PopupPlacement
