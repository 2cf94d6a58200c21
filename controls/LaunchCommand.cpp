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
    command += QuoteArgument(target);
    return command;
}

std::wstring QuoteArgument(const std::wstring& text)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t ch : text) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote.
        const size_t run = ch == L'"' ? 2 * backslashes + 1 : backslashes;
        quoted.append(run, L'\\');
        quoted += ch;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    quoted += L'"';
    return quoted;
}
