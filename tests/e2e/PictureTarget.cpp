#include "tests/e2e/PictureTarget.h"

#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"

namespace e2e {

PictureTarget::PictureTarget()
    : m_window(L"Picture target", true,
               [this](HWND window, UINT message, WPARAM wParam, LPARAM) { return OnMessage(window, message, wParam); })
{
}

bool PictureTarget::Activate() const
{
    SetForegroundWindow(Handle());
    return WaitUntil([this] { return GetForegroundWindow() == Handle() && FocusInThreadOf(Handle()) == Handle(); });
}

std::optional<Picture> PictureTarget::Pasted() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_pasted;
}

bool PictureTarget::OnMessage(HWND window, UINT message, WPARAM wParam)
{
    if (message != WM_KEYDOWN || wParam != 'V' || !(GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    // The program that pastes may still hold the clipboard for a moment.
    if (!WaitUntil([window] { return OpenClipboard(window) != FALSE; }))
        return true;
    Picture picture = ReadPicture(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    std::lock_guard<std::mutex> hold(m_lock);
    m_pasted = std::move(picture);
    return true;
}

}  // namespace e2e
