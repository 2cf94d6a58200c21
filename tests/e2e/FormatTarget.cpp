#include "tests/e2e/FormatTarget.h"

#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"

namespace e2e {

namespace {

// Formats whose data is a handle of another kind than memory: they have no bytes to compare.
bool IsHandleFormat(UINT format)
{
    switch (format) {
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_ENHMETAFILE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
        return true;
    default:
        return format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST;
    }
}

std::wstring NameOf(UINT format)
{
    wchar_t name[256] = {};
    if (format >= 0xC000 && GetClipboardFormatNameW(format, name, 256) > 0)
        return name;
    return L"#" + std::to_wstring(format);
}

}  // namespace

FormatTarget::FormatTarget()
    : m_window(L"Format target", true,
               [this](HWND window, UINT message, WPARAM wParam, LPARAM) { return OnMessage(window, message, wParam); })
{
}

bool FormatTarget::Activate()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_pasted.reset();
    }
    SetForegroundWindow(Handle());
    return WaitUntil([this] { return GetForegroundWindow() == Handle() && FocusInThreadOf(Handle()) == Handle(); });
}

std::optional<FormatTarget::Formats> FormatTarget::Pasted() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_pasted;
}

bool FormatTarget::OnMessage(HWND window, UINT message, WPARAM wParam)
{
    if (message != WM_KEYDOWN || wParam != 'V' || !(GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    // The program that pastes may still hold the clipboard for a moment.
    if (!WaitUntil([window] { return OpenClipboard(window) != FALSE; }))
        return true;
    Formats formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        HANDLE data = IsHandleFormat(format) ? nullptr : GetClipboardData(format);
        const void* bytes = data ? GlobalLock(data) : nullptr;
        if (!bytes)
            continue;
        formats[NameOf(format)].assign(static_cast<const char*>(bytes), GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    std::lock_guard<std::mutex> hold(m_lock);
    m_pasted = std::move(formats);
    return true;
}

}  // namespace e2e
