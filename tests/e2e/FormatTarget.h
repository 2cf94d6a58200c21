#pragma once
#include "tests/e2e/DriverWindow.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace e2e {

// A window of the driver that takes whatever is pasted, as a word processor or
// a file manager would: on Ctrl+V it reads every format the clipboard holds
// and keeps each one's bytes.
class FormatTarget {
public:
    // Bytes by format: a registered format by its name, a standard one as "#N".
    using Formats = std::map<std::wstring, std::string>;

    FormatTarget();

    HWND Handle() const { return m_window.Handle(); }
    // Makes it the foreground window with the keyboard focus, as a click on it
    // would, and forgets the last paste; true once it has both.
    bool Activate();
    // What the last Ctrl+V found; nothing before one arrived.
    std::optional<Formats> Pasted() const;

private:
    bool OnMessage(HWND window, UINT message, WPARAM wParam);

    mutable std::mutex m_lock;
    std::optional<Formats> m_pasted;
    // Last: its thread ends before the rest goes.
    DriverWindow m_window;
};

}  // namespace e2e
