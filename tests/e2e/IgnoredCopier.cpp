#include "tests/e2e/IgnoredCopier.h"

#include "tests/e2e/DriverJob.h"
#include "tests/e2e/Wait.h"

#include <algorithm>

namespace e2e {

namespace {

const wchar_t kCopierWindowClass[] = L"QuillaryIgnoredCopier";

DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    if (window)
        GetWindowThreadProcessId(window, &process);
    return process;
}

}  // namespace

std::wstring IgnoredCopier::ExecutablePath()
{
    std::wstring path = QUILLARY_IGNOREDCOPIER_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

::testing::AssertionResult IgnoredCopier::Copy(const std::wstring& text)
{
    if (m_process)
        return ::testing::AssertionFailure() << "ignoredcopier.exe started twice";
    const std::wstring executable = ExecutablePath();
    std::wstring commandLine = L"\"" + executable + L"\" \"" + text + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return ::testing::AssertionFailure() << "cannot start ignoredcopier.exe, error " << GetLastError();
    AddToDriverJob(started.hProcess);
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    m_processId = started.dwProcessId;
    if (!WaitUntil([this] {
            return ProcessOf(GetClipboardOwner()) == m_processId || WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
        }) ||
        ProcessOf(GetClipboardOwner()) != m_processId) {
        DWORD code = 0;
        GetExitCodeProcess(m_process.Get(), &code);
        return ::testing::AssertionFailure() << "ignoredcopier.exe does not own the clipboard (exit code " << code
                                             << ")";
    }
    return ::testing::AssertionSuccess();
}

bool IgnoredCopier::End()
{
    if (!m_process)
        return true;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kCopierWindowClass, nullptr)) != nullptr) {
        if (ProcessOf(window) == m_processId)
            PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const bool ended = WaitUntil([this] { return WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0; });
    DWORD code = 1;
    if (ended)
        GetExitCodeProcess(m_process.Get(), &code);
    else
        TerminateProcess(m_process.Get(), 1);
    m_process.Reset();
    m_processId = 0;
    return ended && code == 0;
}

}  // namespace e2e
