#pragma once
#include <windows.h>

// How long a move waits for a file that another program holds: not at all
// (the caller tries again on its own schedule), or about a second.
enum class MoveWait { Once, AboutASecond };

// Moves a file over another in one step (MoveFileEx, replacing and written
// through). Backup, sync and virus-scanning tools hold files open for moments:
// with MoveWait::AboutASecond a move they block is tried again for about a
// second before it fails. On failure, `error` (when given) receives the system's reason.
BOOL MoveFileReplacing(const wchar_t* from, const wchar_t* to, DWORD* error = nullptr,
                       MoveWait wait = MoveWait::AboutASecond);

// Takes the read-only attribute off a file, which would refuse every move
// over it and every write to it; TRUE when the file is writable by attribute.
BOOL ClearReadOnly(const wchar_t* path);
