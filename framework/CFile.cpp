#include "framework/CFile.h"

#include <algorithm>

BOOL CFile::Open(const wchar_t* path, UINT flags)
{
    Close();
    DWORD access = GENERIC_READ;
    switch (flags & 0x3) {
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: break;
    }
    DWORD share = FILE_SHARE_READ;
    switch (flags & 0x70u) {
    case shareExclusive: share = 0; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break;
    }
    if (flags & shareDelete)
        share |= FILE_SHARE_DELETE;
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate)
        disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    ResetWriteError();
    m_file.Reset(CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    return IsOpen() ? TRUE : FALSE;
}

UINT CFile::Read(void* buffer, UINT count)
{
    UINT total = 0;
    auto* bytes = static_cast<BYTE*>(buffer);
    // ReadFile may return short counts before the end; loop until it gives nothing.
    while (total < count) {
        DWORD got = 0;
        if (!ReadFile(m_file.Get(), bytes + total, count - total, &got, nullptr) || got == 0)
            break;
        total += got;
    }
    return total;
}

void CFile::Write(const void* data, UINT count)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    UINT total = 0;
    while (total < count) {
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), bytes + total, count - total, &written, nullptr) || written == 0)
            FailWrite(GetLastError());
        total += written;
    }
}

void CFile::Flush()
{
    if (!FlushFileBuffers(m_file.Get()))
        FailWrite(GetLastError());
}

void CFile::MarkWriteFailed(DWORD error)
{
    if (!m_writeError)
        m_writeError = error ? error : ERROR_WRITE_FAULT;
}

void CFile::FailWrite(DWORD error)
{
    MarkWriteFailed(error);
    throw CFileWriteError(m_writeError);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position = {};
    if (!SetFilePointerEx(m_file.Get(), distance, &position, from))
        return GetPosition();
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position = {};
    if (!SetFilePointerEx(m_file.Get(), zero, &position, FILE_CURRENT))
        return 0;
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(m_file.Get(), &size))
        return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

BOOL CFile::SetLength(ULONGLONG length)
{
    const ULONGLONG position = GetPosition();
    if (Seek(static_cast<LONGLONG>(length), begin) != length || !SetEndOfFile(m_file.Get()))
        return FALSE;
    Seek(static_cast<LONGLONG>(std::min(position, length)), begin);
    return TRUE;
}
