#include "tests/e2e/ProcessUnderTest.h"

#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/DriverJob.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/TempFolder.h"
#include "tests/e2e/WindowQueries.h"

#include <algorithm>

namespace e2e {

namespace {

std::string Narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t c : text)
        result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

}  // namespace

std::wstring ProductPath()
{
    std::wstring path = QUILLARY_PRODUCT_PATH;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

::testing::AssertionResult NoWindowTitledLikeThePopup()
{
    const std::vector<HWND> found = FindTopLevelWindows(0, nullptr, kPopupTitle);
    if (found.empty())
        return ::testing::AssertionSuccess();
    DWORD owner = 0;
    GetWindowThreadProcessId(found.front(), &owner);
    return ::testing::AssertionFailure() << "a window titled like the popup is already on this desktop: "
                                         << DescribeWindow(found.front()) << " of process " << owner;
}

ProcessUnderTest::ProcessUnderTest(const std::wstring& folder)
    : m_folder(folder), m_executable(folder + L"\\quillary.exe")
{
}

ProcessUnderTest::~ProcessUnderTest()
{
    End();
}

::testing::AssertionResult ProcessUnderTest::Start()
{
    if (m_process)
        return ::testing::AssertionFailure() << "started twice";
    if (!PathExists(m_executable) && !CopyFileW(ProductPath().c_str(), m_executable.c_str(), TRUE))
        return ::testing::AssertionFailure() << "cannot copy " << Narrow(ProductPath()) << " to "
                                             << Narrow(m_executable) << ", error " << GetLastError();
    PROCESS_INFORMATION started = {};
    if (!StartSuspended(m_executable.c_str(), L"\"" + m_executable + L"\"", m_folder.c_str(), started))
        return ::testing::AssertionFailure() << "cannot start " << Narrow(m_executable) << ", error "
                                             << GetLastError();
    const bool inJob = AddToDriverJob(started.hProcess);
    const DWORD jobError = GetLastError();
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    m_processId = started.dwProcessId;
    if (!inJob)
        return ::testing::AssertionFailure() << "cannot put the started process into the driver's job, error "
                                             << jobError;
    return ::testing::AssertionSuccess();
}

bool ProcessUnderTest::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ProcessUnderTest::WaitForExit(std::chrono::milliseconds timeout) const
{
    if (!m_process || !WaitUntil([this] { return !IsRunning(); }, timeout))
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

HWND ProcessUnderTest::FindPopup() const
{
    if (!m_process)
        return nullptr;
    const std::vector<HWND> found = FindTopLevelWindows(m_processId, kDialogClass, kPopupTitle);
    return found.empty() ? nullptr : found.front();
}

HWND ProcessUnderTest::WaitForPopup(std::chrono::milliseconds timeout) const
{
    HWND popup = nullptr;
    if (!WaitUntil([&] { return ((popup = FindPopup()) != nullptr && IsWindowVisible(popup)) || !IsRunning(); },
                   timeout)
        || !popup || !IsWindowVisible(popup))
        return nullptr;
    // The dialog answers a sent message only from its message loop, that is after its
    // start-up has run to the end (hotkeys registered, history loaded).
    if (!SendMessageTimeoutW(popup, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(timeout.count()), nullptr))
        return nullptr;
    return popup;
}

bool ProcessUnderTest::End()
{
    if (!IsRunning())
        return true;
    if (HWND popup = FindPopup())
        PostMessageW(popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
    if (WaitForExit())
        return true;
    Kill();
    return false;
}

bool ProcessUnderTest::Kill()
{
    if (!IsRunning())
        return true;
    TerminateProcess(m_process.Get(), 1);
    return WaitForSingleObject(m_process.Get(), static_cast<DWORD>(kWaitTimeout.count())) == WAIT_OBJECT_0;
}

}  // namespace e2e
