#include "tests/e2e/XClipboard.h"

#include "tests/e2e/UnixCommand.h"

#include <windows.h>

#include <vector>

namespace e2e {

namespace {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

}  // namespace

::testing::AssertionResult CopyInXProgram(const std::wstring& text)
{
    const std::vector<std::string> command = {"xclip", "-selection", "clipboard"};
    const UnixCommandResult result = RunUnixCommand(command, ToUtf8(text));
    if (result.finished && result.exitCode == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(command, result);
}

}  // namespace e2e
