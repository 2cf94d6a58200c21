#include "shell/popup/PopupPlacement.h"

#include "framework/Dpi.h"
#include "history/model/ClipOptions.h"

namespace PopupPlacement {

namespace {

// The settings' default rectangle is the one at 96 DPI.
const RECT kDefaultAt96 = ClipOptions().m_rcWindow;

}  // namespace

RECT DefaultRect(UINT dpi)
{
    // Place and size scaled apart, so that the size is the scaled size to the pixel.
    const int left = dpi::Scale(kDefaultAt96.left, dpi);
    const int top = dpi::Scale(kDefaultAt96.top, dpi);
    return RECT{left, top, left + dpi::Scale(kDefaultAt96.right - kDefaultAt96.left, dpi),
                top + dpi::Scale(kDefaultAt96.bottom - kDefaultAt96.top, dpi)};
}

RECT Choose(const RECT& stored, bool haveStored, bool onSomeMonitor, UINT defaultDpi)
{
    // An empty or inverted rectangle would make an invisible popup just as surely.
    if (!haveStored || !onSomeMonitor || stored.right <= stored.left || stored.bottom <= stored.top)
        return DefaultRect(defaultDpi);
    return stored;
}

bool IsOnSomeMonitor(const RECT& rect)
{
    return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

UINT DefaultDpi()
{
    return dpi::OfMonitorAt(POINT{kDefaultAt96.left, kDefaultAt96.top});
}

}  // namespace PopupPlacement
