#pragma once
#include <string>

namespace e2e {

// Whole-file reads and writes for checking and preparing files byte for byte.
// ReadFileBytes gives an empty string for a missing file; use PathExists to tell them apart.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace e2e
