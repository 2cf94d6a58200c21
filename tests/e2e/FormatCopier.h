#pragma once
#include "tests/e2e/CopierProcess.h"
#include "tests/e2e/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
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
        Rendering(bool demand = false, int slow = 0, bool textToo = false, std::wstring hold = {})
            : onDemand(demand), slowMs(slow), textSlowToo(textToo), holdEvent(std::move(hold))
        {
        }
        bool onDemand;
        int slowMs;          // on demand: the wait before a format other than the text
        bool textSlowToo;    // the same wait before the text
        std::wstring holdEvent;  // on demand: every render waits until this named event is set
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

// A named event that holds a copier's renders until it is set, as a program
// stuck in its render holds whoever asked for its copy. Set at the latest
// when the object goes, so that no copier is left stuck.
class RenderHold {
public:
    RenderHold();
    ~RenderHold() { Release(); }
    RenderHold(const RenderHold&) = delete;
    RenderHold& operator=(const RenderHold&) = delete;
    const std::wstring& Name() const { return m_name; }
    void Release() { SetEvent(m_event.Get()); }

private:
    std::wstring m_name;
    UniqueFileHandle m_event;
};

}  // namespace e2e
