#include "history/store/disk/FileSteps.h"

#include <new>

namespace disk {

namespace {

constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 100;

bool IsHeld(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

}  // namespace

bool IsPassing(DWORD error)
{
    return error != ERROR_SUCCESS && !IsMissing(error) && error != ERROR_ALREADY_EXISTS && error != ERROR_DISK_FULL &&
           error != ERROR_HANDLE_DISK_FULL && error != ERROR_FILE_TOO_LARGE && error != ERROR_NOT_ENOUGH_MEMORY;
}

DWORD Patiently(FileSystem& files, const std::function<DWORD()>& step, int attempts)
{
    DWORD error = step();
    for (int attempt = 1; attempt < attempts && IsPassing(error); ++attempt) {
        files.Pause(kPauseMs);
        error = step();
    }
    return error;
}

DWORD ListFolder(FileSystem& files, const std::wstring& folder, std::vector<Found>& found)
{
    return Patiently(files, [&] { return files.List(folder, found); });
}

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool Exists(FileSystem& files, const std::wstring& path)
{
    Attributes attributes;
    return !IsMissing(Patiently(files, [&] { return files.GetAttributes(path, attributes); }));
}

DWORD ReadWhole(FileSystem& files, const std::wstring& path, std::vector<BYTE>& bytes, std::uint64_t limit)
{
    return Patiently(files, [&]() -> DWORD {
        bytes.clear();
        std::unique_ptr<File> file;
        DWORD error =
            files.Open(path, Access::Read, kShareRead | kShareWrite | kShareDelete, Creation::OpenExisting, file);
        if (error != ERROR_SUCCESS)
            return error;
        std::uint64_t size = 0;
        if ((error = file->Size(size)) != ERROR_SUCCESS)
            return error;
        if (size > limit)
            return ERROR_FILE_TOO_LARGE;
        try {
            bytes.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        std::size_t got = 0;
        if ((error = file->ReadAt(0, bytes.data(), bytes.size(), got)) != ERROR_SUCCESS)
            return error;
        return got == bytes.size() ? ERROR_SUCCESS : ERROR_READ_FAULT;
    });
}

DWORD ClearReadOnly(FileSystem& files, const std::wstring& path)
{
    Attributes attributes;
    const DWORD error = files.GetAttributes(path, attributes);
    if (error != ERROR_SUCCESS)
        return IsMissing(error) ? ERROR_SUCCESS : error;
    return attributes.readOnly ? files.SetReadOnly(path, false) : ERROR_SUCCESS;
}

namespace {

// A step on a file that another program may hold for a moment.
DWORD WhileHeld(FileSystem& files, MoveWait wait, const std::function<DWORD()>& step)
{
    const int attempts = wait == MoveWait::Once ? 1 : kAttempts;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            files.Pause(kPauseMs);
        error = step();
        if (error == ERROR_SUCCESS || !IsHeld(error))
            break;
    }
    return error;
}

}  // namespace

DWORD MoveReplacing(FileSystem& files, const std::wstring& from, const std::wstring& to, MoveWait wait)
{
    const DWORD error = ClearReadOnly(files, to);
    if (error != ERROR_SUCCESS)
        return error;
    return WhileHeld(files, wait, [&] { return files.Move(from, to, true); });
}

DWORD Remove(FileSystem& files, const std::wstring& path, MoveWait wait)
{
    DWORD error = ClearReadOnly(files, path);
    if (error == ERROR_SUCCESS)
        error = WhileHeld(files, wait, [&] { return files.Delete(path); });
    return IsMissing(error) ? ERROR_SUCCESS : error;
}

DWORD WriteFlushed(FileSystem& files, const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    std::unique_ptr<File> file;
    DWORD error = files.Open(path, Access::Write, kShareNone, Creation::CreateAlways, file);
    if (error == ERROR_SUCCESS)
        error = file->WriteAt(0, bytes.data(), bytes.size());
    if (error == ERROR_SUCCESS)
        error = file->Flush();
    return error;
}

}  // namespace disk
