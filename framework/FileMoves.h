#pragma once
#include <windows.h>

// Moves a file over another in one step (MoveFileEx, replacing and written
// through). Backup, sync and virus-scanning tools hold files open for moments:
// a move they block is tried again for about a second before it fails.
// On failure, `error` (when given) receives the system's reason.
BOOL MoveFileReplacing(const wchar_t* from, const wchar_t* to, DWORD* error = nullptr);
