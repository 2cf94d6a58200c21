#pragma once
#include "tests/e2e/Wait.h"

#include <string>
#include <vector>

namespace e2e {

// What a Unix program run by RunUnixCommand did.
struct UnixCommandResult {
    bool finished = false;  // false: it could not be started or gave no status in time
    int exitCode = -1;
    std::string output;  // its standard output and error together, or why it did not run
};

// Runs a program of the Unix side (xdotool, xclip, ...) on the test's X display and waits
// for it to end. The arguments and the standard input are UTF-8.
//
// Wine 8 starts an ELF file named to CreateProcess by fork and exec, detached, and hands
// back no process handle or id. So the program runs inside a small bash script that
// writes the exit status to a file when the program is done, and we wait for that file.
// A program that forks and stays behind (xclip serving the clipboard) does not hold us up.
UnixCommandResult RunUnixCommand(const std::vector<std::string>& arguments, const std::string& input = {},
                                 std::chrono::milliseconds timeout = kWaitTimeout);

// "xdotool key a" and what went wrong, for test failure messages.
std::string Describe(const std::vector<std::string>& arguments, const UnixCommandResult& result);

}  // namespace e2e
