#pragma once
// Files in memory behind the store's file seam, for tests that run several
// simulated PCs in one process. Every path that a program changes through the
// seam is logged; a test's "sync service" changes the files directly, unlogged.
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "history/store/disk/FileSystem.h"

namespace memfiles {

using Bytes = std::vector<std::uint8_t>;

class MemoryFiles : public disk::FileSystem {
public:
    std::map<std::wstring, std::shared_ptr<Bytes>> files;
    std::set<std::wstring> folders;      // without a trailing backslash
    std::set<std::wstring> unreadable;   // placeholders not downloaded yet: listed, but opening fails
    std::vector<std::wstring> changed;   // every path written, moved or deleted through the seam

    DWORD Open(const std::wstring& path, disk::Access access, unsigned, disk::Creation creation,
               std::unique_ptr<disk::File>& file) override
    {
        if (unreadable.count(path))
            return ERROR_CANT_ACCESS_FILE;
        if (!folders.count(Parent(path)))
            return ERROR_PATH_NOT_FOUND;
        auto at = files.find(path);
        if (at == files.end()) {
            if (creation == disk::Creation::OpenExisting)
                return ERROR_FILE_NOT_FOUND;
            at = files.emplace(path, std::make_shared<Bytes>()).first;
        } else if (creation == disk::Creation::CreateAlways) {
            at->second = std::make_shared<Bytes>();
        }
        if (access != disk::Access::Read)
            changed.push_back(path);
        file = std::make_unique<Open_>(at->second);
        return ERROR_SUCCESS;
    }
    DWORD Move(const std::wstring& from, const std::wstring& to, bool replace) override
    {
        auto at = files.find(from);
        if (at == files.end())
            return ERROR_FILE_NOT_FOUND;
        if (!replace && files.count(to))
            return ERROR_ALREADY_EXISTS;
        files[to] = at->second;
        files.erase(from);
        unreadable.erase(to);
        changed.push_back(from);
        changed.push_back(to);
        return ERROR_SUCCESS;
    }
    DWORD Delete(const std::wstring& path) override
    {
        if (!files.erase(path))
            return ERROR_FILE_NOT_FOUND;
        changed.push_back(path);
        return ERROR_SUCCESS;
    }
    DWORD List(const std::wstring& folder, std::vector<disk::Found>& found) override
    {
        found.clear();
        if (!folders.count(folder.substr(0, folder.size() - 1)))
            return ERROR_PATH_NOT_FOUND;
        for (const auto& item : files)
            if (Parent(item.first) + L"\\" == folder)
                found.push_back({item.first.substr(folder.size()), item.second->size(), 0, false});
        for (const std::wstring& sub : folders)
            if (Parent(sub) + L"\\" == folder)
                found.push_back({sub.substr(folder.size()), 0, 0, true});
        return ERROR_SUCCESS;
    }
    DWORD CreateFolder(const std::wstring& path) override
    {
        if (!folders.count(Parent(path)))
            return ERROR_PATH_NOT_FOUND;
        return folders.insert(path).second ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS;
    }
    DWORD GetAttributes(const std::wstring& path, disk::Attributes& attributes) override
    {
        std::wstring bare = path;
        if (!bare.empty() && bare.back() == L'\\')
            bare.pop_back();
        attributes = disk::Attributes();
        if (folders.count(bare)) {
            attributes.folder = true;
            return ERROR_SUCCESS;
        }
        auto at = files.find(bare);
        if (at == files.end())
            return ERROR_FILE_NOT_FOUND;
        attributes.size = at->second->size();
        return ERROR_SUCCESS;
    }
    DWORD SetReadOnly(const std::wstring& path, bool) override
    {
        return files.count(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }
    void Pause(DWORD) override {}

    // Makes a folder and the folders above it.
    void MakeFolders(const std::wstring& path)
    {
        for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1))
            folders.insert(path.substr(0, at));
        folders.insert(path.back() == L'\\' ? path.substr(0, path.size() - 1) : path);
    }

    static std::wstring Parent(const std::wstring& path)
    {
        const size_t slash = path.find_last_of(L'\\');
        return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    }

private:
    class Open_ : public disk::File {
    public:
        explicit Open_(std::shared_ptr<Bytes> bytes) : m_bytes(std::move(bytes)) {}
        DWORD ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override
        {
            got = offset >= m_bytes->size() ? 0 : std::min<std::size_t>(count, m_bytes->size() - offset);
            if (got)
                std::copy_n(m_bytes->begin() + static_cast<std::ptrdiff_t>(offset), got,
                            static_cast<std::uint8_t*>(buffer));
            return ERROR_SUCCESS;
        }
        DWORD WriteAt(std::uint64_t offset, const void* data, std::size_t count) override
        {
            if (m_bytes->size() < offset + count)
                m_bytes->resize(static_cast<std::size_t>(offset + count));
            std::copy_n(static_cast<const std::uint8_t*>(data), count,
                        m_bytes->begin() + static_cast<std::ptrdiff_t>(offset));
            return ERROR_SUCCESS;
        }
        DWORD Flush() override { return ERROR_SUCCESS; }
        DWORD SetEnd(std::uint64_t length) override
        {
            m_bytes->resize(static_cast<std::size_t>(length));
            return ERROR_SUCCESS;
        }
        DWORD Size(std::uint64_t& size) override
        {
            size = m_bytes->size();
            return ERROR_SUCCESS;
        }

    private:
        std::shared_ptr<Bytes> m_bytes;
    };
};

}  // namespace memfiles
