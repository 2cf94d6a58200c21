#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/CString.h"

// The texts of the tray balloons.
namespace notices {

constexpr const wchar_t* kTitle = L"Quillary";

// A save that failed: the file and the system's reason, and what happens next.
std::wstring SaveFailed(const std::wstring& file, DWORD error);
std::wstring SavedAgain();
// A history file that could not be read at start: it is left as it is.
std::wstring ReadFailed(const std::wstring& file, DWORD error);
std::wstring PerUserFolder(const std::wstring& folder);
// Names the hotkeys that another program holds.
std::wstring HotkeysTaken(const std::vector<CString>& keys);

}  // namespace notices
