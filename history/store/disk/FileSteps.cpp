#include "history/store/disk/FileSteps.h"

namespace disk {

namespace {

constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 100;

bool IsPassing(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool Exists(FileSystem& files, const std::wstring& path)
{
    Attributes attributes;
    return files.GetAttributes(path, attributes) == ERROR_SUCCESS;
}

DWORD ReadWhole(FileSystem& files, const std::wstring& path, std::vector<BYTE>& bytes, std::uint64_t limit)
{
    bytes.clear();
    std::unique_ptr<File> file;
    DWORD error = files.Open(path, Access::Read, kShareRead | kShareWrite | kShareDelete, Creation::OpenExisting, file);
    if (error != ERROR_SUCCESS)
        return error;
    std::uint64_t size = 0;
    if ((error = file->Size(size)) != ERROR_SUCCESS)
        return error;
    if (size > limit)
        return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    if ((error = file->ReadAt(0, bytes.data(), bytes.size(), got)) != ERROR_SUCCESS)
        return error;
    return got == bytes.size() ? ERROR_SUCCESS : ERROR_READ_FAULT;
}

DWORD ClearReadOnly(FileSystem& files, const std::wstring& path)
{
    Attributes attributes;
    const DWORD error = files.GetAttributes(path, attributes);
    if (error != ERROR_SUCCESS)
        return IsMissing(error) ? ERROR_SUCCESS : error;
    return attributes.readOnly ? files.SetReadOnly(path, false) : ERROR_SUCCESS;
}

DWORD MoveReplacing(FileSystem& files, const std::wstring& from, const std::wstring& to, MoveWait wait)
{
    DWORD error = ClearReadOnly(files, to);
    if (error != ERROR_SUCCESS)
        return error;
    const int attempts = wait == MoveWait::Once ? 1 : kAttempts;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            files.Pause(kPauseMs);
        error = files.Move(from, to, true);
        if (error == ERROR_SUCCESS || !IsPassing(error))
            break;
    }
    return error;
}

}  // namespace disk
