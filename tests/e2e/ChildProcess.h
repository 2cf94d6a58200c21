#pragma once
#include "tests/e2e/Wait.h"

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// CreateProcessW with the first thread held, for the caller to put the process into the
// driver's job before it runs. Under Wine a start now and then fails with ERROR_INTERNAL_ERROR
// (the new process died in the loader, seen right after another instance of the same program
// ended); it is tried again a few times before the failure is reported.
bool StartSuspended(const wchar_t* executable, std::wstring commandLine, const wchar_t* folder,
                    PROCESS_INFORMATION& started);

// Starts a Windows program with the given command line (the program's path first, quoted)
// and waits for it to end. Its exit code, or nothing when it could not be started or did
// not end in time (then it is ended by force).
std::optional<DWORD> RunToEnd(const std::wstring& commandLine, std::chrono::milliseconds timeout = kWaitTimeout);

}  // namespace e2e
