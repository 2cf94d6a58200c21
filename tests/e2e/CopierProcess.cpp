#include "tests/e2e/CopierProcess.h"

#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/DriverJob.h"
#include "tests/e2e/Wait.h"

#include <algorithm>

namespace e2e {

namespace {

DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    if (window)
        GetWindowThreadProcessId(window, &process);
    return process;
}

}  // namespace

std::wstring HelperPath(const wchar_t* builtPath)
{
    std::wstring path = builtPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

::testing::AssertionResult CopierProcess::Start(const std::wstring& executable, const std::wstring& arguments)
{
    if (m_process)
        return ::testing::AssertionFailure() << "a copier started twice";
    const std::wstring commandLine = L"\"" + executable + L"\" " + arguments;
    PROCESS_INFORMATION started = {};
    if (!StartSuspended(executable.c_str(), commandLine, nullptr, started))
        return ::testing::AssertionFailure() << "cannot start a copier, error " << GetLastError();
    AddToDriverJob(started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    m_processId = started.dwProcessId;
    if (!WaitUntil([this] {
            return ProcessOf(GetClipboardOwner()) == m_processId || WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
        }) ||
        ProcessOf(GetClipboardOwner()) != m_processId) {
        DWORD code = 0;
        GetExitCodeProcess(m_process.Get(), &code);
        return ::testing::AssertionFailure() << "the copier does not own the clipboard (exit code " << code << ")";
    }
    return ::testing::AssertionSuccess();
}

std::optional<DWORD> CopierProcess::End()
{
    if (!m_process)
        return 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, m_windowClass, nullptr)) != nullptr) {
        if (ProcessOf(window) == m_processId)
            PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const bool ended = WaitUntil([this] { return WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0; });
    std::optional<DWORD> code;
    if (ended) {
        DWORD exitCode = 0;
        GetExitCodeProcess(m_process.Get(), &exitCode);
        code = exitCode;
    } else {
        TerminateProcess(m_process.Get(), 1);
    }
    m_process.Reset();
    m_processId = 0;
    return code;
}

}  // namespace e2e
