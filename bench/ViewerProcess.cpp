#include "bench/ViewerProcess.h"

#include "bench/Stopwatch.h"

namespace {

std::wstring ViewerPath()
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"bench_viewer.exe";
}

}  // namespace

bool ViewerProcess::Start(const std::vector<std::wstring>& formats)
{
    std::wstring commandLine = L"\"" + ViewerPath() + L"\"";
    for (const std::wstring& format : formats)
        commandLine += L" \"" + format + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    const Stopwatch wait;
    while (!m_window && wait.ElapsedMs() < 30000 && WaitForSingleObject(m_process.Get(), 1) == WAIT_TIMEOUT) {
        HWND found = FindWindowW(kBenchViewerClass, nullptr);
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (found && owner == started.dwProcessId)
            m_window = found;
    }
    LRESULT ignored = 0;
    return m_window && CopyTimer::Ask(Reads(), ignored);
}

bool ViewerProcess::Close()
{
    if (!m_process)
        return true;
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    m_window = nullptr;
    const bool ended = WaitForSingleObject(m_process.Get(), 10000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(m_process.Get(), 1);
    m_process.Reset();
    return ended;
}
