#include "tests/e2e/FormatCopier.h"

#include "tests/e2e/FileBytes.h"

namespace e2e {

::testing::AssertionResult FormatCopier::Copy(const std::vector<Format>& formats, Rendering rendering)
{
    std::wstring arguments;
    if (rendering.onDemand)
        arguments += L"--on-demand ";
    if (rendering.slowMs > 0)
        arguments += L"--slow " + std::to_wstring(rendering.slowMs) + L" ";
    if (rendering.textSlowToo)
        arguments += L"--text-too ";
    if (!rendering.holdEvent.empty())
        arguments += L"--hold \"" + rendering.holdEvent + L"\" ";
    for (size_t i = 0; i < formats.size(); ++i) {
        const std::wstring file = m_payload.Child(L"format" + std::to_wstring(i));
        if (!WriteFileBytes(file, formats[i].bytes))
            return ::testing::AssertionFailure() << "cannot write the bytes of a format to copy";
        arguments += L"\"" + formats[i].name + L"\" \"" + file + L"\" ";
    }
    return m_process.Start(HelperPath(QUILLARY_FORMATCOPIER_PATH), arguments);
}

namespace {

std::wstring NewHoldName()
{
    static int made = 0;
    return L"QuillaryRenderHold-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
}

}  // namespace

RenderHold::RenderHold() : m_name(NewHoldName()), m_event(CreateEventW(nullptr, TRUE, FALSE, m_name.c_str())) {}

}  // namespace e2e
