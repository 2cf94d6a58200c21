#pragma once
#include <string>

namespace e2e {

// What the shell tells about an installed program.

// A folder of the current user by its CSIDL (CSIDL_LOCAL_APPDATA, CSIDL_PROGRAMS...); empty on failure.
std::wstring UserFolder(int csidl);
// The program a shortcut (.lnk) starts; empty when the file is no shortcut.
std::wstring ShortcutTarget(const std::wstring& shortcut);
// The ProductVersion text of a program's version resource (US English, Unicode); empty when it has none.
std::wstring ProductVersionOf(const std::wstring& program);

}  // namespace e2e
