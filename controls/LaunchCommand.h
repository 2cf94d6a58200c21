#pragma once
#include <string>

// The command line that opens `target` with the program registered for a file
// class: the registered command up to its "%1" placeholder (the quoted form
// first, then the bare one; the placeholder and everything after it dropped),
// or the whole command when it has none, then a blank and the target as one
// quoted argument (QuoteArgument), so that spaces or quotes in it cannot split
// it into several.
std::wstring BuildOpenCommand(const std::wstring& registeredCommand, const std::wstring& target);

// `text` in double quotes, read back as exactly `text` by the usual Windows
// command-line parsing (CommandLineToArgvW, the C run-time): an inner quote
// becomes \" and the backslashes before a quote, or before the closing one,
// are doubled.
std::wstring QuoteArgument(const std::wstring& text);
