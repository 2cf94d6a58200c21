#pragma once
#include <windows.h>

#include <string>

// Whole-file helpers on the plain Win32 calls, outside the product's code.
namespace RawFile {

bool Write(const std::wstring& path, const std::string& bytes);
// -1 when the file does not exist.
LONGLONG Size(const std::wstring& path);
// The whole file, shared with writers; empty when it cannot be read.
std::string Read(const std::wstring& path);

}  // namespace RawFile
