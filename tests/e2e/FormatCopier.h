#pragma once
#include "tests/e2e/CopierProcess.h"
#include "tests/e2e/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// formatcopier.exe at work: a program of its own that copies in several
// formats at once, rendered at once or on demand, and owns the clipboard
// until it is told to end. Ended at the latest when the object goes.
class FormatCopier {
public:
    struct Format {
        std::wstring name;  // a registered format's name, or #N for a standard one
        std::string bytes;
    };
    struct Rendering {
        bool onDemand = false;
        int slowMs = 0;  // on demand: the wait before a format other than the text
    };

    // Starts it with the formats and waits until its window owns the clipboard.
    ::testing::AssertionResult Copy(const std::vector<Format>& formats, Rendering rendering);
    ::testing::AssertionResult Copy(const std::vector<Format>& formats) { return Copy(formats, Rendering()); }
    // Ends it: how many times it rendered a format other than the text on
    // demand; nothing when it did not end by itself.
    std::optional<DWORD> End() { return m_process.End(); }

private:
    TempFolder m_payload;
    CopierProcess m_process{L"QuillaryFormatCopier"};
};

}  // namespace e2e
