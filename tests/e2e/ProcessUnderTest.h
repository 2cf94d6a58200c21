#pragma once
#include "framework/Handles.h"
#include "tests/e2e/Wait.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace e2e {

// One copy of quillary.exe, copied into a folder of the test's choosing and started from
// there. The process is always ended at the end: first through the Exit command, as the
// tray menu would, then by force if it does not go.
class ProcessUnderTest {
public:
    explicit ProcessUnderTest(const std::wstring& folder);
    ~ProcessUnderTest();
    ProcessUnderTest(const ProcessUnderTest&) = delete;
    ProcessUnderTest& operator=(const ProcessUnderTest&) = delete;

    // Copies the executable (unless it is already there) and starts it.
    ::testing::AssertionResult Start();
    const std::wstring& ExecutablePath() const { return m_executable; }
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process.Get(); }

    bool IsRunning() const;
    // The exit code, or nothing when the process still runs after the timeout.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = kWaitTimeout) const;
    // The popup: a top-level dialog of this process with the exact title, hidden or not.
    HWND FindPopup() const;
    // Waits until start-up has shown the popup and finished; nullptr when it did not.
    HWND WaitForPopup(std::chrono::milliseconds timeout = kWaitTimeout) const;

    // Exit command, then TerminateProcess if needed. True when it ended on its own.
    bool End();
    // Ends it at once, as a crash or an end-task would: nothing of its own runs any more.
    // True once it has gone.
    bool Kill();

private:
    std::wstring m_folder;
    std::wstring m_executable;
    UniqueFileHandle m_process;
    DWORD m_processId = 0;
};

// The product as built: a Windows path to quillary.exe.
std::wstring ProductPath();

// Fails when some window on the desktop already bears the popup's title: a copy left over
// from elsewhere would answer in place of the one under test.
::testing::AssertionResult NoWindowTitledLikeThePopup();

}  // namespace e2e
