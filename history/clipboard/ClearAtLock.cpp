#include "history/clipboard/ClearAtLock.h"

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Handles.h"

void ClearAtLock::Run(HistoryModel& history, const ClipboardCapture& capture, HWND window)
{
    std::vector<EntryId> ids;
    std::vector<std::wstring> texts;
    bool holdsCapture = false;
    for (int row = history.TopCount(); row < history.Count(); ++row) {
        const HistoryEntry& entry = history.At(row);
        ids.push_back(entry.id);
        if (entry.text)
            texts.push_back(*entry.text);
        holdsCapture = holdsCapture || capture.ClipboardHoldsCaptureOf(entry.id);
    }
    if (ids.empty())
        return;
    // A paste-back puts an older entry's text there too, so the text is compared as well.
    const bool empty = holdsCapture || ClipboardHoldsText(texts, window);
    history.Remove(ids);
    if (!empty)
        return;
    ClipboardSession clipboard(window);
    if (clipboard.IsOpen())
        EmptyClipboard();
}

bool ClearAtLock::ClipboardHoldsText(const std::vector<std::wstring>& texts, HWND window)
{
    if (texts.empty() || !IsClipboardFormatAvailable(CF_UNICODETEXT))
        return false;
    ClipboardSession clipboard(window);
    if (!clipboard.IsOpen())
        return false;
    GlobalLockGuard lock(GetClipboardData(CF_UNICODETEXT));
    if (!lock.Data())
        return false;
    const std::wstring text = TextUpToNul(static_cast<const wchar_t*>(lock.Data()), lock.Size() / sizeof(wchar_t));
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}
