#include "framework/FileMoves.h"

namespace {

constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 100;

bool IsPassing(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

BOOL MoveFileReplacing(const wchar_t* from, const wchar_t* to, DWORD* error, MoveWait wait)
{
    const int attempts = wait == MoveWait::Once ? 1 : kAttempts;
    DWORD last = ERROR_SUCCESS;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            Sleep(kPauseMs);
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return TRUE;
        last = GetLastError();
        if (!IsPassing(last))
            break;
    }
    if (error)
        *error = last;
    return FALSE;
}

BOOL ClearReadOnly(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return TRUE;
    return SetFileAttributesW(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}
