#pragma once
#include <windows.h>

#include <functional>

#include "framework/CListCtrl.h"

// A shown top-level window holding a report list view with the popup's size,
// column and 16x16 image list, for timing list work inside this process. An
// owner-data list (the popup's) asks its host for each row's label and icon,
// which the host hands to the display-info handler.
class ListHost {
public:
    enum class Kind { Items, OwnerData };
    using DisplayInfo = std::function<void(LVITEMW&)>;

    explicit ListHost(Kind kind);
    ~ListHost();
    ListHost(const ListHost&) = delete;
    ListHost& operator=(const ListHost&) = delete;

    bool Created() const { return m_list != nullptr; }
    HWND List() const { return m_list; }
    // The list bound to the framework's wrapper, as the popup holds it.
    CListCtrl& Control();
    void SetDisplayInfo(DisplayInfo displayInfo) { m_displayInfo = std::move(displayInfo); }
    void SelectAll();
    // Takes the host off the screen, as the popup is before it is first shown.
    void Hide();
    // Handles what is queued (paints above all), outside the timed parts.
    static void Pump();

private:
    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnNotify(const NMHDR& header, LRESULT& result);

    HWND m_window = nullptr;
    HWND m_list = nullptr;
    HIMAGELIST m_images = nullptr;
    CListCtrl m_control;
    DisplayInfo m_displayInfo;
};
