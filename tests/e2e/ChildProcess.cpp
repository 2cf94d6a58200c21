#include "tests/e2e/ChildProcess.h"

#include "framework/Handles.h"
#include "tests/e2e/DriverJob.h"

namespace e2e {

bool StartSuspended(const wchar_t* executable, std::wstring commandLine, const wchar_t* folder,
                    PROCESS_INFORMATION& started)
{
    constexpr int kTries = 4;
    for (int attempt = 1;; ++attempt) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        std::wstring writable = commandLine;
        if (CreateProcessW(executable, writable.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, folder,
                           &startup, &started))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == kTries)
            return false;
        Sleep(200);
    }
}

std::optional<DWORD> RunToEnd(const std::wstring& commandLine, std::chrono::milliseconds timeout)
{
    PROCESS_INFORMATION started = {};
    if (!StartSuspended(nullptr, commandLine, nullptr, started))
        return std::nullopt;
    UniqueFileHandle process(started.hProcess);
    AddToDriverJob(process.Get());
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    if (!WaitUntil([&] { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, timeout)) {
        TerminateProcess(process.Get(), 1);
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

}  // namespace e2e
