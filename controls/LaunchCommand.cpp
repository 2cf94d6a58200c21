#include "controls/LaunchCommand.h"

std::wstring BuildOpenCommand(const std::wstring& registeredCommand, const std::wstring& target)
{
    std::wstring command = registeredCommand;
    size_t cut = command.find(L"\"%1\"");
    if (cut == std::wstring::npos)
        cut = command.find(L"%1");
    if (cut != std::wstring::npos)
        command.erase(cut);
    command += L' ';
    command += target;
    return command;
}
