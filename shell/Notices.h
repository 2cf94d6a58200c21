#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/CString.h"
#include "history/clipboard/PasteBack.h"

// The texts of the tray balloons and of the message at exit.
namespace notices {

constexpr const wchar_t* kTitle = L"Quillary";

// A save that failed: the file and the system's reason, and what happens next.
std::wstring SaveFailed(const std::wstring& file, DWORD error);
std::wstring SavedAgain();
// The save at exit failed: the file and the reason; the journal keeps the changes.
std::wstring ExitSaveFailed(const std::wstring& file, DWORD error);
// A history file that could not be read at start: it is left as it is.
std::wstring ReadFailed(const std::wstring& file, DWORD error);
std::wstring PerUserFolder(const std::wstring& folder);
// An encrypted history that cannot be opened: its key file missing
// (`keyMissing`), or one this account cannot open; kept whole in `folder`, or
// left where it is when `folder` is empty.
std::wstring HistorySetAside(const std::wstring& folder, bool keyMissing);
std::wstring OlderFilesMerged();
std::wstring EncryptionUnavailable();
// Names the hotkeys that another program holds.
std::wstring HotkeysTaken(const std::vector<CString>& keys);
// Why a paste left the entry on the clipboard without pressing its key; empty when it did not.
std::wstring PasteNotLanded(PasteBack::Outcome outcome);

}  // namespace notices
