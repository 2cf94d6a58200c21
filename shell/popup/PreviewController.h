#pragma once
#include <windows.h>

#include <functional>

#include "history/model/HistoryEntry.h"
#include "shell/popup/EntryPreview.h"
#include "shell/popup/PopupDpi.h"

// When the preview shows: for the row the pointer rests on, a moment after it
// stopped there, and for the row the keyboard moved to; it goes when the
// pointer leaves the list, the list changes or the popup hides.
class PreviewController {
public:
    static constexpr UINT_PTR kHoverTimer = 0x5150;
    static constexpr UINT kHoverDelayMs = 400;
    // Posted to the popup after a key moved the list's focus.
    static constexpr UINT kShowFocusedMessage = WM_APP + 50;

    // The entry shown in a visible row, or null.
    using EntryAt = std::function<const HistoryEntry*(int row)>;

    explicit PreviewController(EntryAt entryAt) : m_entryAt(std::move(entryAt)) {}
    void SetWindows(HWND popup, HWND list, const PopupDpi& look)
    {
        m_popup = popup;
        m_list = list;
        m_look = &look;
    }

    // A queued message of the list: pointer moves and its leaving.
    void OnListMessage(const MSG& msg);
    void OnHoverTimer();
    void ShowFocused();
    void Hide();
    void SetColours(COLORREF ground, COLORREF text) { m_preview.SetColours(ground, text); }

private:
    void ShowRow(int row);

    EntryAt m_entryAt;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
    const PopupDpi* m_look = nullptr;
    int m_hoverRow = -1;
    bool m_tracking = false;
    EntryPreview m_preview;
};
