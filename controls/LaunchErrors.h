#pragma once
#include <string>

// The message shown when a link cannot be opened: a fixed first line, then the
// meaning of the code that ShellExecute or WinExec returned.
std::wstring LaunchErrorMessage(int code);
