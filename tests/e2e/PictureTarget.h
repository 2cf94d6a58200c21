#pragma once
#include "tests/e2e/DriverWindow.h"
#include "tests/e2e/Picture.h"

#include <mutex>
#include <optional>

namespace e2e {

// A window of the driver that takes pictures, as a paint program would: on Ctrl+V it reads
// CF_BITMAP from the clipboard and keeps the picture.
class PictureTarget {
public:
    PictureTarget();

    HWND Handle() const { return m_window.Handle(); }
    // Makes it the foreground window with the keyboard focus, as a click on it would;
    // true once it has both.
    bool Activate() const;
    // The picture of the last Ctrl+V; nothing before one arrived. An empty picture when
    // the clipboard held no bitmap then.
    std::optional<Picture> Pasted() const;

private:
    bool OnMessage(HWND window, UINT message, WPARAM wParam);

    mutable std::mutex m_lock;
    std::optional<Picture> m_pasted;
    // Last: its thread ends before the rest goes.
    DriverWindow m_window;
};

}  // namespace e2e
