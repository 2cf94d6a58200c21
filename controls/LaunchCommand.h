#pragma once
#include <string>

// The command line that opens `target` with the program registered for a file
// class: the registered command up to its "%1" placeholder (the quoted form
// first, then the bare one; the placeholder and everything after it dropped),
// or the whole command when it has none, then a blank and the target.
std::wstring BuildOpenCommand(const std::wstring& registeredCommand, const std::wstring& target);
