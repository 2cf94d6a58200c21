#include "history/PasteBack.h"

#include "framework/Handles.h"

#include <cstring>
#include <string>
#include <vector>

void PasteBack::AppendText(std::wstring& joined, const wchar_t* text, const ClipOptions& options)
{
    if (options.m_bCompoundPaste)
        joined += options.m_strBefore.Str();
    if (text)
        joined += text;
    if (options.m_bCompoundPaste)
        joined += options.m_strAfter.Str();
}

void PasteBack::Finish()
{
    m_state.suppressCapture = 0;
    m_state.pasteTarget = nullptr;
}

void PasteBack::Paste()
{
    HWND target = m_state.pasteTarget;
    if (!target)
        return;
    if (!OpenClipboard(target)) {
        Finish();
        return;
    }
    EmptyClipboard();
    m_state.suppressCapture = 1;

    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) {
        CloseClipboard();
        Finish();
        return;
    }

    std::wstring joined;
    bool clipboardOpen = true;
    for (; row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
        LPARAM data = m_list.GetItemData(row);
        if (HistoryList::IsBitmapEntry(data)) {
            CloseClipboard();
            clipboardOpen = false;
            PutBitmapOnClipboard(reinterpret_cast<HBITMAP>(data));
            m_restoreFocus(target);
            m_sendKeys();
            if (!OpenClipboard(target))
                break;
            clipboardOpen = true;
        } else {
            AppendText(joined, reinterpret_cast<const wchar_t*>(data), m_state.options);
        }
    }

    // Texts gathered before a failed reopening are still pasted: the clipboard
    // is opened once more for them.
    if (!joined.empty() && !clipboardOpen)
        clipboardOpen = OpenClipboard(target) != FALSE;
    if (clipboardOpen) {
        bool placed = !joined.empty() && PlaceText(joined);
        CloseClipboard();
        if (placed) {
            m_restoreFocus(target);
            m_sendKeys();
        }
    }
    Finish();
}

bool PasteBack::PlaceText(const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block)
        return false;
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.Data())
            return false;
        std::memcpy(lock.Data(), text.c_str(), bytes);
    }
    if (!SetClipboardData(CF_UNICODETEXT, block.Get()))
        return false;
    block.Release();  // the clipboard owns it now
    return true;
}

bool PasteBack::PutBitmapOnClipboard(HBITMAP bitmap)
{
    HWND target = m_state.pasteTarget;
    if (!bitmap || !target || !OpenClipboard(target))
        return false;
    EmptyClipboard();
    HBITMAP copy = CopyBitmap(bitmap);
    if (copy && !SetClipboardData(CF_BITMAP, copy))
        DeleteObject(copy);
    CloseClipboard();
    return true;
}

HBITMAP PasteBack::CopyBitmap(HBITMAP bitmap)
{
    BITMAP bm;
    if (!GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;
    const size_t stride = ((static_cast<size_t>(bm.bmWidth) * bm.bmBitsPixel + 31) / 32) * 4;
    const size_t size = stride * static_cast<size_t>(bm.bmHeight);
    std::vector<BYTE> buffer(size);
    GetBitmapBits(bitmap, static_cast<LONG>(size), buffer.data());
    return CreateBitmap(bm.bmWidth, bm.bmHeight, 1, bm.bmBitsPixel, buffer.data());
}

void PasteBack::SendPasteKeystroke()
{
    keybd_event(VK_CONTROL, 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event('V', 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event('V', 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}
