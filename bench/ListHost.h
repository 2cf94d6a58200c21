#pragma once
#include <windows.h>

#include "framework/CListCtrl.h"

// A shown top-level window holding a report list view with the popup's styles,
// size, column and 16x16 image list, for timing list work inside this process.
class ListHost {
public:
    ListHost();
    ~ListHost();
    ListHost(const ListHost&) = delete;
    ListHost& operator=(const ListHost&) = delete;

    bool Created() const { return m_list != nullptr; }
    HWND List() const { return m_list; }
    // The list bound to the framework's wrapper, as the popup holds it.
    CListCtrl& Control();
    void SelectAll();
    // Handles what is queued (paints above all), outside the timed parts.
    static void Pump();

private:
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    HIMAGELIST m_images = nullptr;
    CListCtrl m_control;
};
