#include "tests/e2e/Notepad.h"

#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/DriverJob.h"
#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"

#include <string>

namespace e2e {

namespace {

// The first child whose class name starts with `prefix` (any case).
HWND ChildOfClass(HWND parent, const wchar_t* prefix)
{
    struct Search {
        const wchar_t* prefix;
        HWND found;
    } search = {prefix, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (_wcsnicmp(name, s->prefix, wcslen(s->prefix)) != 0)
                return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

Notepad::~Notepad()
{
    if (!m_process)
        return;
    if (m_main) {
        // A changed text would make it ask whether to save.
        if (m_edit)
            SendMessageTimeoutW(m_edit, EM_SETMODIFY, FALSE, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        PostMessageW(m_main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(m_process.Get(), static_cast<DWORD>(kWaitTimeout.count())) != WAIT_OBJECT_0) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), static_cast<DWORD>(kWaitTimeout.count()));
    }
}

::testing::AssertionResult Notepad::Start()
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    // A bare name is found in the system folder.
    const std::wstring program = m_program;
    std::wstring executable = program.find(L'\\') == std::wstring::npos ? std::wstring(system) + L"\\" + program : program;
    PROCESS_INFORMATION started = {};
    if (!StartSuspended(executable.c_str(), L"\"" + executable + L"\"", nullptr, started))
        return ::testing::AssertionFailure() << "cannot start " << testing::PrintToString(std::wstring(m_program))
                                             << ", error " << GetLastError();
    const bool inJob = AddToDriverJob(started.hProcess);
    const DWORD jobError = GetLastError();
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    m_processId = started.dwProcessId;
    if (!inJob)
        return ::testing::AssertionFailure() << "cannot put the started process into the driver's job, error "
                                             << jobError;
    const bool found = WaitUntil([this] {
        for (HWND window : FindTopLevelWindows(m_processId, m_mainClass, nullptr)) {
            if (HWND edit = ChildOfClass(window, m_editClass)) {
                m_main = window;
                m_edit = edit;
                return IsWindowVisible(window) != FALSE;
            }
        }
        return false;
    });
    if (!found)
        return ::testing::AssertionFailure() << "the window with its edit control did not appear";
    if (!WaitUntil([this] { return HasKeyboardFocus(); }))
        return ::testing::AssertionFailure() << "the window did not become the foreground window with its edit focused";
    return ::testing::AssertionSuccess();
}

bool Notepad::Clear() const
{
    DWORD_PTR result = 0;
    return m_edit && SendMessageTimeoutW(m_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, 5000,
                                         &result) &&
           Text().empty();
}

std::wstring Notepad::Text() const
{
    DWORD_PTR length = 0;
    if (!m_edit || !SendMessageTimeoutW(m_edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(m_edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return {};
    text.resize(copied);
    return text;
}

bool Notepad::Activate() const
{
    SetForegroundWindow(m_main);
    // Notepad's thread hears of it through a message; once it answers ours, that one is
    // handled too, and no late activation can overtake the test's next step.
    SendMessageTimeoutW(m_main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(kWaitTimeout.count()), nullptr);
    return WaitUntil([this] { return HasKeyboardFocus(); });
}

bool Notepad::HasKeyboardFocus() const
{
    return m_main && GetForegroundWindow() == m_main && ActiveInThreadOf(m_main) == m_main
           && FocusInThreadOf(m_main) == m_edit;
}

}  // namespace e2e
