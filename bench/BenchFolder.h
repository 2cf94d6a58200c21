#pragma once
#include <string>

// A fresh folder under the temporary folder, removed with everything in it at the end.
class BenchFolder {
public:
    explicit BenchFolder(const std::wstring& tag);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    bool Created() const { return !m_path.empty(); }
    // Windows path without a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    std::wstring Child(const std::wstring& name) const { return m_path + L"\\" + name; }

    static void RemoveTree(const std::wstring& path);

private:
    std::wstring m_path;
};
