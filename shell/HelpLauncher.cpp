#include "shell/HelpLauncher.h"

#include "shell/ModulePath.h"

#include <windows.h>
#include <shellapi.h>

std::wstring HelpLauncher::HelpFilePath()
{
    const std::wstring folder = ExecutableFolder();
    return folder.empty() ? std::wstring() : folder + L"help.chm";
}

void HelpLauncher::ShowHelp()
{
    const std::wstring path = HelpFilePath();
    // The shell would otherwise put up its own "file not found" box.
    if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
}
