#pragma once
// Helpers shared by the tests that work on real files: a fresh temporary
// folder that is removed with its files, and whole-file reads and writes.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/CFile.h"

namespace file_test {

using Bytes = std::vector<unsigned char>;

class TempFolder {
public:
    explicit TempFolder(const wchar_t* kind)
    {
        static int counter = 0;
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"quillary-" + kind + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter++) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder()
    {
        for (const std::wstring& name : Names())
            DeleteFileW((m_path + name).c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // With a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + name; }
    // The files in it, sorted.
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::wstring m_path;
};

// The file's bytes, even while another handle holds it; a missing file reads
// as two bytes that differ from every expected content.
inline Bytes ReadWholeFile(const std::wstring& path)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return Bytes{0xDE, 0xAD};
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    if (!bytes.empty())
        bytes.resize(file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
    return bytes;
}

inline bool WriteWholeFile(const std::wstring& path, const Bytes& bytes)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite))
        return false;
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return true;
}

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace file_test
