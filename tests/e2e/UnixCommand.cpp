#include "tests/e2e/UnixCommand.h"

#include "tests/e2e/FileBytes.h"
#include "tests/e2e/TempFolder.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

const wchar_t kShell[] = L"Z:\\bin\\bash";

// Wine's own export; Windows has no Unix side to hand paths to.
std::string UnixPath(const std::wstring& windowsPath)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    char* unixPath = toUnix(windowsPath.c_str());
    if (!unixPath)
        return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// The script's own path is all that crosses Windows' command-line parsing.
std::wstring WindowsQuote(const std::string& text)
{
    return L"\"" + std::wstring(text.begin(), text.end()) + L"\"";
}

UnixCommandResult Failure(const std::string& why)
{
    UnixCommandResult result;
    result.output = why;
    return result;
}

}  // namespace

UnixCommandResult RunUnixCommand(const std::vector<std::string>& arguments, const std::string& input,
                                 std::chrono::milliseconds timeout)
{
    TempFolder work;
    const std::string unixFolder = UnixPath(work.Path());
    if (unixFolder.empty())
        return Failure("no Unix path for " + std::string(work.Path().begin(), work.Path().end())
                       + " (wine_get_unix_file_name is missing: not running under Wine?)");
    if (unixFolder.find('"') != std::string::npos)
        return Failure("unusable work folder " + unixFolder);

    std::ostringstream script;
    // Wine hands the program every descriptor of ours, among them the test runner's output
    // pipe and lock. A program that stays behind (xclip serving the clipboard) must hold none.
    script << "for fd in /proc/$$/fd/*; do fd=${fd##*/}; ((fd > 2)) && eval \"exec $fd>&-\"; done 2>/dev/null\n";
    script << "cd " << ShellQuote(unixFolder) << " || exit 1\n";
    script << "exec <input >output 2>&1\n";
    // A program that hangs is killed shortly after we stop waiting for it, so none stays behind.
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout).count() + 1;
    script << "timeout -k 2 " << seconds << ' ';
    for (const std::string& argument : arguments)
        script << ShellQuote(argument) << ' ';
    script << "\necho $? >status.part && mv status.part status\n";
    if (!WriteFileBytes(work.Child(L"input"), input) || !WriteFileBytes(work.Child(L"run.sh"), script.str()))
        return Failure("cannot write the script");

    std::wstring commandLine = L"bash " + WindowsQuote(unixFolder + "/run.sh");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(kShell, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return Failure("CreateProcess(/bin/bash) failed with error " + std::to_string(GetLastError()));
    // Wine gives no handles for a Unix program; close whatever a future version might give.
    if (started.hThread)
        CloseHandle(started.hThread);
    if (started.hProcess)
        CloseHandle(started.hProcess);

    const std::wstring status = work.Child(L"status");
    UnixCommandResult result;
    result.finished = WaitUntil([&] { return PathExists(status); }, timeout);
    result.output = ReadFileBytes(work.Child(L"output"));
    if (!result.finished) {
        result.output += "(no exit status within " + std::to_string(timeout.count()) + " ms)";
        return result;
    }
    result.exitCode = std::atoi(ReadFileBytes(status).c_str());
    return result;
}

std::string Describe(const std::vector<std::string>& arguments, const UnixCommandResult& result)
{
    std::string text;
    for (const std::string& argument : arguments)
        text += (text.empty() ? "" : " ") + argument;
    if (!result.finished)
        return text + ": did not finish: " + result.output;
    return text + ": exit code " + std::to_string(result.exitCode) + (result.output.empty() ? "" : ", output: ")
           + result.output;
}

}  // namespace e2e
