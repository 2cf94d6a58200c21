#include "history/store/disk/DiskFile.h"

#include "history/store/disk/FileSteps.h"

BOOL DiskFile::Open(const std::wstring& path, UINT flags)
{
    Close();
    ResetWriteError();
    disk::Access access = disk::Access::Read;
    if ((flags & 0x3) == modeWrite)
        access = disk::Access::Write;
    else if ((flags & 0x3) == modeReadWrite)
        access = disk::Access::ReadWrite;
    unsigned share = disk::kShareRead;
    switch (flags & 0x70u) {
    case shareExclusive: share = disk::kShareNone; break;
    case shareDenyRead: share = disk::kShareWrite; break;
    case shareDenyNone: share = disk::kShareRead | disk::kShareWrite; break;
    default: break;
    }
    if (flags & shareDelete)
        share |= disk::kShareDelete;
    disk::Creation creation = disk::Creation::OpenExisting;
    if (flags & modeCreate)
        creation = (flags & modeNoTruncate) ? disk::Creation::OpenAlways : disk::Creation::CreateAlways;
    m_position = 0;
    const auto open = [&] { return m_files.Open(path, access, share, creation, m_file); };
    m_error = access == disk::Access::Read ? disk::Patiently(m_files, open) : open();
    if (m_error != ERROR_SUCCESS) {
        m_file.reset();
        SetLastError(m_error);
        return FALSE;
    }
    return TRUE;
}

void DiskFile::Close()
{
    m_file.reset();
}

UINT DiskFile::Read(void* buffer, UINT count)
{
    if (!m_file)
        return 0;
    std::size_t got = 0;
    const DWORD error = disk::Patiently(m_files, [&] { return m_file->ReadAt(m_position, buffer, count, got); });
    if (error != ERROR_SUCCESS) {
        m_error = error;
        SetLastError(error);
    }
    m_position += got;
    return static_cast<UINT>(got);
}

void DiskFile::Write(const void* data, UINT count)
{
    if (!m_file)
        FailWrite(ERROR_INVALID_HANDLE);
    const DWORD error = m_file->WriteAt(m_position, data, count);
    if (error != ERROR_SUCCESS)
        FailWrite(error);
    m_position += count;
}

void DiskFile::Flush()
{
    if (!m_file)
        FailWrite(ERROR_INVALID_HANDLE);
    const DWORD error = m_file->Flush();
    if (error != ERROR_SUCCESS)
        FailWrite(error);
}

ULONGLONG DiskFile::Seek(LONGLONG offset, UINT from)
{
    LONGLONG base = 0;
    if (from == current)
        base = static_cast<LONGLONG>(m_position);
    else if (from == end)
        base = static_cast<LONGLONG>(GetLength());
    if (base + offset >= 0)
        m_position = static_cast<ULONGLONG>(base + offset);
    return m_position;
}

ULONGLONG DiskFile::GetLength() const
{
    std::uint64_t size = 0;
    if (!m_file)
        return 0;
    const DWORD error = disk::Patiently(m_files, [&] { return m_file->Size(size); });
    if (error != ERROR_SUCCESS) {
        m_error = error;
        SetLastError(error);
        return 0;
    }
    return size;
}

BOOL DiskFile::SetLength(ULONGLONG length)
{
    if (!m_file)
        return FALSE;
    const DWORD error = m_file->SetEnd(length);
    if (error != ERROR_SUCCESS) {
        m_error = error;
        SetLastError(error);
        return FALSE;
    }
    if (m_position > length)
        m_position = length;
    return TRUE;
}
