#pragma once
#include <windows.h>
#include <oleacc.h>

#include <string>

// Tells screen readers what a search found while the focus stays where the
// user types: the entry now selected and how many entries match. Where the
// system has UI Automation notifications one carries it; elsewhere a live
// region does (a static text of no size whose name is the news, announced with
// EVENT_OBJECT_LIVEREGIONCHANGED), which readers that listen to accessibility
// events hear.
class SearchAnnouncer {
public:
    SearchAnnouncer() = default;
    ~SearchAnnouncer();
    SearchAnnouncer(const SearchAnnouncer&) = delete;
    SearchAnnouncer& operator=(const SearchAnnouncer&) = delete;

    // Makes the live region as a child of the popup; the notifications come from `search`.
    void Create(HWND popup, HWND search, UINT regionId);
    // Before the popup's windows go.
    void Destroy();
    void Announce(const std::wstring& text);

    // "12 entries, <name>", "1 entry, <name>", "No entry matches" (while
    // `searching`), "No entries" (the history is empty).
    static std::wstring Found(int matches, const std::wstring& selectedName, bool searching);

private:
    // True when the system took the notification.
    bool Notify(const std::wstring& text);

    HWND m_search = nullptr;
    HWND m_region = nullptr;
    HMODULE m_automation = nullptr;
    IAccPropServices* m_annotations = nullptr;
};
