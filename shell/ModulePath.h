#pragma once
#include <windows.h>

#include <string>

// The full path of a module's file (the executable's when `module` is null),
// read into a buffer that grows until the whole path fits; empty on failure.
std::wstring ModuleFilePath(HMODULE module = nullptr, size_t initialCapacity = MAX_PATH);

// The executable's folder with a trailing backslash; empty on failure.
std::wstring ExecutableFolder();
