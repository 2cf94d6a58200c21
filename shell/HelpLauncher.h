#pragma once
#include <string>

// Opens the help file "help.chm" from the executable's folder.
class HelpLauncher {
public:
    static std::wstring HelpFilePath();
    // Opens the file with the program registered for it. Without the file
    // nothing happens: no viewer and no message.
    static void ShowHelp();
};
