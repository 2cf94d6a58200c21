#pragma once
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace e2e {

// A helper program of the tests that copies at start and then owns the
// clipboard with a window of its own until that window is closed. Ended at
// the latest when the object goes.
class CopierProcess {
public:
    explicit CopierProcess(const wchar_t* windowClass) : m_windowClass(windowClass) {}
    ~CopierProcess() { End(); }
    CopierProcess(const CopierProcess&) = delete;
    CopierProcess& operator=(const CopierProcess&) = delete;

    // Starts `executable` with the arguments (quoted as they need) and waits until it owns the clipboard.
    ::testing::AssertionResult Start(const std::wstring& executable, const std::wstring& arguments);
    DWORD ProcessId() const { return m_processId; }
    // Closes its window and waits for it: its exit code, or nothing when it had to be ended by force.
    std::optional<DWORD> End();

private:
    const wchar_t* m_windowClass;
    UniqueFileHandle m_process;
    DWORD m_processId = 0;
};

// A built helper's Windows path, from the Unix path the build gives as Z: + path.
std::wstring HelperPath(const wchar_t* builtPath);

}  // namespace e2e
