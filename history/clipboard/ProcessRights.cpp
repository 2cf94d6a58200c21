#include "history/clipboard/ProcessRights.h"

#include "framework/Handles.h"

namespace {

// The integrity level's number (SECURITY_MANDATORY_*_RID) of a process; false when it cannot be read.
bool IntegrityOf(HANDLE process, DWORD& level, DWORD& error)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        error = GetLastError();
        return false;
    }
    UniqueKernelHandle owned(token);
    BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof(buffer), &size)) {
        error = GetLastError();
        return false;
    }
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    level = count ? *GetSidSubAuthority(sid, count - 1) : 0;
    return true;
}

}  // namespace

TargetRights ProcessRights::Compare(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    DWORD ours = 0, error = 0;
    if (!processId || !IntegrityOf(GetCurrentProcess(), ours, error))
        return TargetRights::Unknown;
    // A program we may not even look at is one run with more rights, unless we run with many ourselves.
    const TargetRights refused = ours < SECURITY_MANDATORY_HIGH_RID ? TargetRights::Higher : TargetRights::Unknown;
    UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED ? refused : TargetRights::Unknown;
    DWORD theirs = 0;
    if (!IntegrityOf(process.Get(), theirs, error))
        return error == ERROR_ACCESS_DENIED ? refused : TargetRights::Unknown;
    return theirs > ours ? TargetRights::Higher : TargetRights::NotHigher;
}
