#include "bench/ProductProcess.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <utility>

#include "resource.h"
#include "shell/AppTitle.h"

namespace {

struct PopupSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchPopup(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<PopupSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    if (std::wstring(title) != kSingleInstanceTitle)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

ProductProcess::ProductProcess(std::wstring folder) : m_folder(std::move(folder)) {}

ProductProcess::~ProductProcess() { End(); }

std::wstring ProductProcess::ProductPath()
{
    std::wstring path = QUILLARY_PRODUCT_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool ProductProcess::Start()
{
    const std::wstring executable = m_folder + L"\\quillary.exe";
    if (GetFileAttributesW(executable.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !CopyFileW(ProductPath().c_str(), executable.c_str(), TRUE))
        return false;
    std::wstring commandLine = L"\"" + executable + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(),
                        &startup, &started))
        return false;
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    m_processId = started.dwProcessId;
    m_popup = nullptr;
    m_list = nullptr;
    return true;
}

HWND ProductProcess::FindPopup() const
{
    PopupSearch search = {m_processId, nullptr};
    EnumWindows(MatchPopup, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ProductProcess::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool ProductProcess::WaitUntilReady(int entries, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline && IsRunning()) {
        if (!m_popup)
            m_popup = FindPopup();
        if (m_popup && IsWindowVisible(m_popup)) {
            m_list = GetDlgItem(m_popup, IDC_LIST_HISTORY);
            const DWORD left = static_cast<DWORD>(deadline - std::min(deadline, GetTickCount64()));
            if (m_list && ItemCount(left) == entries) {
                WaitForInputIdle(m_process.Get(), left);
                return true;
            }
        }
        Sleep(1);
    }
    return false;
}

int ProductProcess::ItemCount(DWORD timeoutMs) const
{
    DWORD_PTR count = 0;
    if (!m_list || !SendMessageTimeoutW(m_list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &count))
        return -1;
    return static_cast<int>(count);
}

bool ProductProcess::PostCommand(UINT id) const
{
    return m_popup && PostMessageW(m_popup, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool ProductProcess::Sync(DWORD timeoutMs) const
{
    DWORD_PTR ignored = 0;
    return m_popup && SendMessageTimeoutW(m_popup, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
}

bool ProductProcess::WaitForEnd(DWORD timeoutMs) const
{
    return !m_process || WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

double ProductProcess::PrivateBytesOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
        return 0.0;
    // Windows reports the commit charge in both fields. Wine 8 leaves PrivateUsage at 0
    // and fills PagefileUsage from the host's RssAnon + VmSwap of the process.
    return static_cast<double>(counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
}

const char* ProductProcess::PrivateBytesSource()
{
    return "GetProcessMemoryInfo: PrivateUsage, or PagefileUsage where that is 0 (Wine: RssAnon+VmSwap)";
}

void ProductProcess::End()
{
    if (!IsRunning())
        return;
    if (!m_popup)
        m_popup = FindPopup();
    if (PostCommand(ID_MENU_EXIT) && WaitForEnd(60000))
        return;
    TerminateProcess(m_process.Get(), 1);
    WaitForEnd(10000);
}
