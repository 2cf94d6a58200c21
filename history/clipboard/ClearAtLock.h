#pragma once
#include <windows.h>

#include "history/clipboard/ClipboardCapture.h"
#include "history/model/HistoryModel.h"

// "Clear the history when Windows is locked": at the lock, the entries outside
// the top zone go as a removal by the user does (so they leave the disk too),
// and the clipboard is emptied when it still holds one of them.
class ClearAtLock {
public:
    static void Run(HistoryModel& history, const ClipboardCapture& capture, HWND window);

private:
    static bool ClipboardHoldsText(const std::vector<std::wstring>& texts, HWND window);
};
