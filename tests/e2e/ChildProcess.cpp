#include "tests/e2e/ChildProcess.h"

#include "framework/Handles.h"
#include "tests/e2e/DriverJob.h"

namespace e2e {

std::optional<DWORD> RunToEnd(const std::wstring& commandLine, std::chrono::milliseconds timeout)
{
    std::wstring writable = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &started))
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
