#include "shell/popup/PopupPlacement.h"

#include "framework/Dpi.h"
#include "history/model/ClipOptions.h"

namespace PopupPlacement {

namespace {

// The settings' default rectangle is the one at 96 DPI on a screen whose work area starts at 0, 0.
const RECT kDefaultAt96 = ClipOptions().m_rcWindow;

}  // namespace

RECT DefaultRect(const ScreenLayout::Monitor& monitor)
{
    // Place and size scaled apart, so that the size is the scaled size to the pixel.
    const int left = monitor.work.left + dpi::Scale(kDefaultAt96.left, monitor.dpi);
    const int top = monitor.work.top + dpi::Scale(kDefaultAt96.top, monitor.dpi);
    return RECT{left, top, left + dpi::Scale(kDefaultAt96.right - kDefaultAt96.left, monitor.dpi),
                top + dpi::Scale(kDefaultAt96.bottom - kDefaultAt96.top, monitor.dpi)};
}

RECT Choose(const RECT& stored, bool haveStored, const ScreenLayout& layout)
{
    // An empty or inverted rectangle would make an invisible popup.
    if (!haveStored || stored.right <= stored.left || stored.bottom <= stored.top)
        return DefaultRect(layout.Primary());
    return layout.KeepShown(stored);
}

}  // namespace PopupPlacement
