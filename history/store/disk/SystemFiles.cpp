// The store's files on the system's file API: the one place it is called.
#include "history/store/disk/FileSystem.h"

#include <algorithm>

#include "framework/Handles.h"

namespace disk {

namespace {

constexpr DWORD kLargestStep = 1u << 30;

std::uint64_t FromFileTime(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED overlapped = {};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

class SystemFile : public File {
public:
    explicit SystemFile(HANDLE handle) : m_handle(handle) {}

    DWORD ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override
    {
        got = 0;
        auto* bytes = static_cast<BYTE*>(buffer);
        while (got < count) {
            OVERLAPPED at = At(offset + got);
            DWORD step = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - got, kLargestStep));
            if (!ReadFile(m_handle.Get(), bytes + got, want, &step, &at)) {
                const DWORD error = GetLastError();
                return error == ERROR_HANDLE_EOF ? ERROR_SUCCESS : error;
            }
            if (step == 0)
                break;
            got += step;
        }
        return ERROR_SUCCESS;
    }

    DWORD WriteAt(std::uint64_t offset, const void* data, std::size_t count) override
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        std::size_t done = 0;
        while (done < count) {
            OVERLAPPED at = At(offset + done);
            DWORD step = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, kLargestStep));
            if (!WriteFile(m_handle.Get(), bytes + done, want, &step, &at))
                return GetLastError();
            if (step == 0)
                return ERROR_WRITE_FAULT;
            done += step;
        }
        return ERROR_SUCCESS;
    }

    DWORD Flush() override { return FlushFileBuffers(m_handle.Get()) ? ERROR_SUCCESS : GetLastError(); }

    DWORD SetEnd(std::uint64_t length) override
    {
        LARGE_INTEGER distance;
        distance.QuadPart = static_cast<LONGLONG>(length);
        if (!SetFilePointerEx(m_handle.Get(), distance, nullptr, FILE_BEGIN) || !SetEndOfFile(m_handle.Get()))
            return GetLastError();
        return ERROR_SUCCESS;
    }

    DWORD Size(std::uint64_t& size) override
    {
        LARGE_INTEGER value = {};
        if (!GetFileSizeEx(m_handle.Get(), &value))
            return GetLastError();
        size = static_cast<std::uint64_t>(value.QuadPart);
        return ERROR_SUCCESS;
    }

private:
    UniqueFileHandle m_handle;
};

class SystemFileSystem : public FileSystem {
public:
    DWORD Open(const std::wstring& path, Access access, unsigned share, Creation creation,
               std::unique_ptr<File>& file) override
    {
        file.reset();
        DWORD desired = GENERIC_READ;
        if (access == Access::Write)
            desired = GENERIC_WRITE;
        else if (access == Access::ReadWrite)
            desired = GENERIC_READ | GENERIC_WRITE;
        DWORD sharing = 0;
        sharing |= (share & kShareRead) ? FILE_SHARE_READ : 0;
        sharing |= (share & kShareWrite) ? FILE_SHARE_WRITE : 0;
        sharing |= (share & kShareDelete) ? FILE_SHARE_DELETE : 0;
        DWORD disposition = OPEN_EXISTING;
        if (creation == Creation::OpenAlways)
            disposition = OPEN_ALWAYS;
        else if (creation == Creation::CreateAlways)
            disposition = CREATE_ALWAYS;
        const HANDLE handle =
            CreateFileW(path.c_str(), desired, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return GetLastError();
        file = std::make_unique<SystemFile>(handle);
        return ERROR_SUCCESS;
    }

    DWORD Move(const std::wstring& from, const std::wstring& to, bool replace) override
    {
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        return MoveFileExW(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : GetLastError();
    }

    DWORD Delete(const std::wstring& path) override
    {
        return DeleteFileW(path.c_str()) ? ERROR_SUCCESS : GetLastError();
    }

    DWORD List(const std::wstring& folder, std::vector<Found>& found) override
    {
        found.clear();
        WIN32_FIND_DATAW data;
        UniqueFindHandle search(FindFirstFileW((folder + L"*").c_str(), &data));
        if (!search) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
        }
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            Found entry;
            entry.name = name;
            entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            entry.created = FromFileTime(data.ftCreationTime);
            entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            found.push_back(std::move(entry));
        } while (FindNextFileW(search.Get(), &data));
        const DWORD error = GetLastError();
        return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
    }

    DWORD CreateFolder(const std::wstring& path) override
    {
        return CreateDirectoryW(path.c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
    }

    DWORD GetAttributes(const std::wstring& path, Attributes& attributes) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return GetLastError();
        attributes.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        attributes.written = FromFileTime(data.ftLastWriteTime);
        attributes.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        attributes.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        return ERROR_SUCCESS;
    }

    DWORD SetReadOnly(const std::wstring& path, bool readOnly) override
    {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return GetLastError();
        const DWORD wanted = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                      : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        if (wanted == attributes)
            return ERROR_SUCCESS;
        return SetFileAttributesW(path.c_str(), wanted) ? ERROR_SUCCESS : GetLastError();
    }

    void Pause(DWORD milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

FileSystem& SystemFiles()
{
    static SystemFileSystem files;
    return files;
}

}  // namespace disk
