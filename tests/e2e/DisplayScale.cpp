#include "tests/e2e/DisplayScale.h"

#include "framework/Handles.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/RunKey.h"
#include "tests/e2e/TempFolder.h"

#include <cstdio>
#include <string>

namespace e2e {

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kValueName[] = L"LogPixels";

// An earlier run's undo file, imported as the cleanup step would.
bool ImportLeftover()
{
    if (!PathExists(DisplayScale::kUndoFile))
        return true;
    const std::optional<DWORD> code = RunToEnd(std::wstring(L"regedit.exe /S ") + DisplayScale::kUndoFile);
    return code == 0u && DeleteFileW(DisplayScale::kUndoFile);
}

bool WriteUndoFile(const std::optional<DWORD>& previous)
{
    char line[64];
    if (previous)
        std::snprintf(line, sizeof(line), "\"LogPixels\"=dword:%08lx\r\n", static_cast<unsigned long>(*previous));
    else
        std::snprintf(line, sizeof(line), "\"LogPixels\"=-\r\n");
    const std::string text = std::string("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n") + line;
    UniqueFileHandle file(CreateFileW(DisplayScale::kUndoFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool SetValue(const std::optional<DWORD>& value)
{
    if (!value) {
        const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kValueName);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    const DWORD number = *value;
    return RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kValueName, REG_DWORD, &number, sizeof(number)) ==
           ERROR_SUCCESS;
}

}  // namespace

DisplayScale::DisplayScale(DWORD dpi)
{
    if (!ImportLeftover()) {
        m_failure = "an earlier run's undo file could not be imported";
        return;
    }
    if (const std::optional<RegistryValue> value = ReadRegistryValue(HKEY_CURRENT_USER, kDesktopKey, kValueName)) {
        if (value->type != REG_DWORD) {
            m_failure = "LogPixels is there but not a number";
            return;
        }
        m_previous = value->number;
    }
    if (!WriteUndoFile(m_previous)) {
        m_failure = "the undo file could not be written";
        return;
    }
    m_applied = true;
    if (!SetValue(dpi))
        m_failure = "LogPixels could not be set";
}

::testing::AssertionResult DisplayScale::Applied() const
{
    if (m_applied && !*m_failure)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << m_failure;
}

void DisplayScale::Restore()
{
    if (!m_applied)
        return;
    // The undo file stays when the value cannot be put back, for the cleanup step.
    if (SetValue(m_previous))
        DeleteFileW(kUndoFile);
    m_applied = false;
}

}  // namespace e2e
