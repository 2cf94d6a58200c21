// The manifest asks Windows for per-monitor DPI awareness. A slip in an element's name
// or namespace would not fail anything: Windows would quietly scale the program as a
// blurred bitmap. The loader's own reading of the settings is checked here.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// A setting of this program's manifest as the loader read it; empty when it has none.
std::wstring ManifestSetting(const wchar_t* schema, const wchar_t* name)
{
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, schema, name, value, sizeof(value) / sizeof(value[0]), &written))
        return std::wstring();
    return value;
}

TEST(Manifest, DeclaresPerMonitorDpiAwarenessWithTheOlderFlagBeside)
{
    EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
}

}  // namespace
