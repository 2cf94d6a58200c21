#pragma once
#include "tests/e2e/CopierProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// ignoredcopier.exe at work: a program of its own that owns the clipboard,
// holding the text it was given, until it is told to end. It stands for a
// program whose copies the user asked Quillary to ignore. Ended at the latest
// when the object goes.
class IgnoredCopier {
public:
    // The executable's file name, as the list of programs to ignore names it.
    static constexpr const wchar_t* kFileName = L"ignoredcopier.exe";

    // Starts it with `text` and waits until its window owns the clipboard.
    ::testing::AssertionResult Copy(const std::wstring& text)
    {
        return m_process.Start(ExecutablePath(), L"\"" + text + L"\"");
    }
    DWORD ProcessId() const { return m_process.ProcessId(); }
    // Closes its window and waits for it; true when it ended by itself with exit code 0.
    bool End() { return m_process.End() == 0u; }

    // The built helper: a Windows path to ignoredcopier.exe.
    static std::wstring ExecutablePath();

private:
    CopierProcess m_process{L"QuillaryIgnoredCopier"};
};

}  // namespace e2e
