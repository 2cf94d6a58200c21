#pragma once
#include <string>
#include <vector>

namespace e2e {

// A fresh, empty folder under the temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Windows path without a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    std::wstring Child(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Removes a folder with everything in it; what cannot be removed stays.
void RemoveTree(const std::wstring& folder);
bool PathExists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
// The names in a folder, sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

}  // namespace e2e
