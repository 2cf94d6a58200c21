#pragma once
#include "tests/e2e/Wait.h"

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// Starts a Windows program with the given command line (the program's path first, quoted)
// and waits for it to end. Its exit code, or nothing when it could not be started or did
// not end in time (then it is ended by force).
std::optional<DWORD> RunToEnd(const std::wstring& commandLine, std::chrono::milliseconds timeout = kWaitTimeout);

}  // namespace e2e
