#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

namespace e2e {

// The DPI that Wine gives the programs started from now on: "LogPixels" under
// HKEY_CURRENT_USER\Control Panel\Desktop, which Wine 8 reads once per program, as it
// starts, before the machine-wide value in the hardware profile. Programs already running
// (this driver, Wine's desktop) keep theirs. What was there before comes back at Restore
// or when this goes. Should the driver be killed before that, the undo file it leaves in
// its folder puts it back: ctest's cleanup step after the test imports it with regedit,
// and so does the next DisplayScale before it changes anything.
class DisplayScale {
public:
    static constexpr wchar_t kUndoFile[] = L"display_scale_undo.reg";

    explicit DisplayScale(DWORD dpi);
    ~DisplayScale() { Restore(); }
    DisplayScale(const DisplayScale&) = delete;
    DisplayScale& operator=(const DisplayScale&) = delete;

    ::testing::AssertionResult Applied() const;
    void Restore();

private:
    std::optional<DWORD> m_previous;  // nothing: there was no value
    bool m_applied = false;
    const char* m_failure = "";
};

}  // namespace e2e
