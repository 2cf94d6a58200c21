#pragma once
#include <memory>
#include <string>

#include "framework/CFile.h"
#include "history/store/disk/FileSystem.h"

// A CFile reached through the store's file seam, so that archives, the bitmap
// loader and the savers work unchanged on the system's files or on files in
// memory. Open takes CFile's flags; a failure leaves its reason in Error()
// and in GetLastError. A file opened for reading alone, and every read, is
// tried again for a moment when it fails for a passing reason (another
// program holding the file, a faltering device); writes fail at once, and
// their savers try again on their own schedule.
class DiskFile : public CFile {
public:
    explicit DiskFile(disk::FileSystem& files) : m_files(files) {}

    BOOL Open(const std::wstring& path, UINT flags);
    DWORD Error() const { return m_error; }
    disk::FileSystem& Files() const { return m_files; }

    void Close() override;
    bool IsOpen() const override { return m_file != nullptr; }
    // Reads return what they got; an error stops them, and Error() says which.
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* data, UINT count) override;
    void Flush() override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override { return m_position; }
    // 0 when the size cannot be had; Error() says why.
    ULONGLONG GetLength() const override;
    BOOL SetLength(ULONGLONG length) override;

private:
    disk::FileSystem& m_files;
    std::unique_ptr<disk::File> m_file;
    ULONGLONG m_position = 0;
    mutable DWORD m_error = ERROR_SUCCESS;
};
